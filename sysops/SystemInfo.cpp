#include "sysops/SystemInfo.h"

#include "sysops/PathText.h"

#include <windows.h>

namespace sysops {
namespace {

// `value` in decimal, zero-padded to `width` digits.
std::string Digits(unsigned value, std::size_t width)
{
    std::string text = std::to_string(value);
    return text.size() >= width ? text : std::string(width - text.size(), '0') + text;
}

}  // namespace

unsigned long LastError()
{
    return GetLastError();
}

std::string ErrorText(unsigned long code)
{
    char text[kPathBufferSize] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                        0, text, sizeof text, nullptr);
    std::string line(text, length < sizeof text ? length : 0);
    // The system ends its texts with a full stop and a line break; a record
    // line has neither inside it.
    for (char& c : line) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '.'))
        line.pop_back();
    return line.empty() ? std::string("unknown error") : line;
}

std::string ComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::string LocalTimestamp()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Digits(now.wYear, 4) + "-" + Digits(now.wMonth, 2) + "-" + Digits(now.wDay, 2) + " " +
           Digits(now.wHour, 2) + ":" + Digits(now.wMinute, 2) + ":" + Digits(now.wSecond, 2);
}

std::string TempDirectory()
{
    char path[kPathBufferSize] = {};
    const DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length >= sizeof path)
        return std::string();
    std::string dir(path, length);
    if (dir.size() > 3 && dir.back() == '\\')
        dir.pop_back();
    return dir;
}

std::string ProgramPath()
{
    char path[kFilePathBufferSize] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length == 0 || length >= sizeof path ? std::string() : std::string(path, length);
}

unsigned long Milliseconds()
{
    return GetTickCount();
}

}  // namespace sysops
