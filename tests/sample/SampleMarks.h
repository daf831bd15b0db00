// How the sample's test components leave their marks: one line appended to
// a file in the marks folder, which lies outside everything the uninstaller
// deletes. Header-only, so that the components need nothing but Windows.
#pragma once

#include <windows.h>

#include <cstring>

namespace sample_marks {

inline constexpr char kRoot[] = "C:\\morvtest-sample";
inline constexpr char kFolder[] = "C:\\morvtest-sample\\marks";

inline void AppendMark(const char* fileName, const char* line)
{
    CreateDirectoryA(kRoot, nullptr);
    CreateDirectoryA(kFolder, nullptr);
    char path[MAX_PATH];
    if (lstrlenA(kFolder) + 1 + lstrlenA(fileName) >= MAX_PATH)
        return;
    lstrcpyA(path, kFolder);
    lstrcatA(path, "\\");
    lstrcatA(path, fileName);
    const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

}  // namespace sample_marks
