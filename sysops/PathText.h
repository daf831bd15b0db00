// Paths and names as the program keeps them: ANSI text that must fit a fixed
// buffer of the size Windows is asked with. A text that would not fit is
// never cut into a different, shorter path: the composing call fails instead.
#pragma once

#include <cstddef>
#include <string>

namespace sysops {

// Every directory path the run keeps fits in this many bytes, terminator included.
constexpr std::size_t kPathBufferSize = 512;
// A file path composed from a directory and a name fits in this many bytes.
constexpr std::size_t kFilePathBufferSize = 1024;

// Whether `length` characters and a terminator fit a buffer of `bufferSize` bytes.
constexpr bool Fits(std::size_t length, std::size_t bufferSize) { return length < bufferSize; }

// out = dir + "\" + name. False, with out emptied, when that would not fit.
bool JoinPath(const std::string& dir, const char* name, std::string& out,
              std::size_t bufferSize = kPathBufferSize);

// out = text + tail (tail brings its own separator). False, with out emptied,
// when that would not fit.
bool AppendText(const std::string& text, const char* tail, std::string& out,
                std::size_t bufferSize = kPathBufferSize);

// The value of an environment variable, read with a 512-byte buffer. False,
// with value emptied, when it is unset or too long for that buffer.
bool ReadEnvironment(const char* name, std::string& value);

// The one comparison without regard to case, for every letter of the ANSI
// code page, not only ASCII's: names of files, folders, keys, values,
// programs and switches alike. Both texts are upper-cased as Windows does it
// for the code page, then compared byte for byte.
std::string UpperText(std::string text);
bool SameText(const std::string& a, const std::string& b);
bool StartsWithText(const std::string& text, const std::string& prefix);
bool EndsWithText(const std::string& text, const std::string& suffix);

}  // namespace sysops
