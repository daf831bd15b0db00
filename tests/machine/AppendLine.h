// How the small programs the tests start (the test service, the sample's
// components) tell what happened to them: one line appended to a file.
// Header-only, so that they need nothing but Windows.
#pragma once

#include "sysops/Handles.h"

#include <windows.h>

#include <cstring>

namespace machine {

inline void AppendLine(const char* path, const char* line)
{
    const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const sysops::UniqueKernelHandle owner(file);
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
}

}  // namespace machine
