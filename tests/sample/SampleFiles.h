// The sample's file work. Paths in the native system32 of 64-bit Windows
// must be used inside a sysops::ScopedFsRedirectionOff.
#pragma once

#include "sample/SampleRows.h"

#include <string>

namespace sample {

bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
// Creates every missing folder of `dir`.
bool MakeDirs(const std::string& dir);
// The outermost folder of `dir` that does not exist yet; empty when it exists.
std::string FirstMissingDir(const std::string& dir);

// Writes `text` into a new file (creating its folder), then gives it `attr`.
bool WriteText(const std::string& path, const std::string& text, Attr attr);
bool CopyInto(const std::string& source, const std::string& path, Attr attr);
// Deletes a file whatever its attributes.
void DeleteForced(const std::string& path);
// A folder with everything in it, read-only and hidden entries included.
void RemoveTree(const std::string& dir);
// Whether any file lies in `dir` or below it.
bool HoldsFiles(const std::string& dir);
// Reads a file whole; empty when it cannot be read.
std::string ReadText(const std::string& path);

// The folder part of a path, without the last backslash.
std::string FolderOf(const std::string& path);

}  // namespace sample
