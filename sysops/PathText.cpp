#include "sysops/PathText.h"

#include <windows.h>

#include <cstring>

namespace sysops {
namespace {

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool AppendText(const std::string& text, const char* tail, std::string& out, std::size_t bufferSize)
{
    const std::size_t length = text.size() + std::strlen(tail);
    if (!Fits(length, bufferSize)) {
        out.clear();
        return false;
    }
    std::string joined;
    joined.reserve(length);
    joined.append(text).append(tail);
    out.swap(joined);
    return true;
}

bool JoinPath(const std::string& dir, const char* name, std::string& out, std::size_t bufferSize)
{
    std::string withSeparator;
    withSeparator.reserve(dir.size() + 1);
    withSeparator.append(dir).push_back('\\');
    return AppendText(withSeparator, name, out, bufferSize);
}

bool ReadEnvironment(const char* name, std::string& value)
{
    char buffer[kPathBufferSize] = {};
    // Too small a buffer makes the call return the size it needs, which is
    // larger than the buffer; the buffer then holds nothing usable.
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) {
        value.clear();
        return false;
    }
    value.assign(buffer, length);
    return true;
}

bool EqualsNoCase(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (AsciiUpper(*a) != AsciiUpper(*b))
            return false;
    }
    return *a == *b;
}

bool EndsWithNoCase(const std::string& text, const char* suffix)
{
    const std::size_t length = std::strlen(suffix);
    return text.size() >= length && EqualsNoCase(text.c_str() + text.size() - length, suffix);
}

}  // namespace sysops
