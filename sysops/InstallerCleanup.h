// Windows Installer records of the product that are found by scanning, not
// named: per-user component and product records, and folder entries.
#pragma once

#include <windows.h>

namespace sysops {

// Every user's installer records of package A: its value in each component
// key (the key goes only when nothing else is left in it) and its Products
// key. The 32-bit view is scanned and, on 64-bit Windows, the 64-bit view as
// well; each record is removed in the view where it was found.
void CleanInstallerUserData();

// Deletes the values of the open folder key `folderKey` (its path under
// HKLM: folderKeyPath) whose names contain installDir, menuDir or package
// B's product code (case-sensitive). The caller opens and closes the key.
void CleanInstallerFolders(HKEY folderKey, const char* folderKeyPath, const char* installDir, const char* menuDir);

}  // namespace sysops
