// The wide file calls, looked up by name at run time: the program must still
// load on Windows 98 and NT 4, and on 98 these exist only as stubs that fail.
#pragma once

#include <windows.h>

namespace sysops {

struct WideFileCalls {
    decltype(&::CreateFileW) createFile = nullptr;
    decltype(&::FindFirstFileW) findFirstFile = nullptr;
    decltype(&::FindNextFileW) findNextFile = nullptr;
    decltype(&::GetFileAttributesW) getFileAttributes = nullptr;
    decltype(&::SetFileAttributesW) setFileAttributes = nullptr;
    decltype(&::DeleteFileW) deleteFile = nullptr;
    decltype(&::RemoveDirectoryW) removeDirectory = nullptr;
};

// Fills `calls` on the NT family; false on 9x or when any of them is missing.
bool LookUpWideFileCalls(WideFileCalls& calls);

}  // namespace sysops
