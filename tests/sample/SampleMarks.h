// How the sample's test components leave their marks: one line appended to
// a file in the marks folder, which lies outside everything the uninstaller
// deletes. Header-only, so that the components need nothing but Windows.
#pragma once

#include "machine/AppendLine.h"

#include <windows.h>

namespace sample_marks {

inline constexpr char kRoot[] = "C:\\morvtest-sample";
inline constexpr char kFolder[] = "C:\\morvtest-sample\\marks";
// What a test asks of the identity component, in the marks folder.
inline constexpr char kIdentityBehaviour[] = "identity-behaviour.txt";

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
    machine::AppendLine(path, line);
}

}  // namespace sample_marks
