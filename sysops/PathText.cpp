#include "sysops/PathText.h"

#include <windows.h>

#include <cstring>

namespace sysops {
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

std::string UpperText(std::string text)
{
    if (!text.empty())
        CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && UpperText(a) == UpperText(b);
}

bool StartsWithText(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool EndsWithText(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && SameText(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace sysops
