// Windows Installer records of the product that are found by scanning, not
// named: per-user component and product records, and folder entries.
#pragma once

#include <windows.h>

namespace sysops {

// Every user's installer records of the product whose packed product code
// is `packedCode`: its value in each component key (the key goes only when
// nothing else is left in it) and its Products key. A key found there that
// is a symbolic link is read and removed as the link only. The 32-bit view is
// scanned and, on 64-bit Windows, the 64-bit view as well; each record is
// removed in the view where it was found.
void CleanInstallerUserData(const char* packedCode);

// Deletes the values of the folder key HKLM\folderKeyPath, opened in the
// view `view` selects, whose names are installDir or menuDir or a path below
// either (whole components: "C:\Morvane2\" is not below "C:\Morvane"), or
// contain productCode anywhere. Names compare with letter case.
void CleanInstallerFolders(const char* folderKeyPath, REGSAM view, const char* installDir, const char* menuDir,
                           const char* productCode);

}  // namespace sysops
