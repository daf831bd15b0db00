// Windows Installer records of the product that are found by scanning, not
// named: per-user component and product records, and folder entries.
#pragma once

#include "sysops/Registry.h"
#include "sysops/Result.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sysops {

// One record found by a scan: a whole key (no value name), or one value of a
// key, in the view where it was found.
struct InstallerRecord {
    std::string keyPath;
    std::string valueName;
    RegistryView view;
    // A component key goes too once the product's value was the last thing in it.
    bool dropEmptyKey = false;
};

// Every user's installer records of the product whose packed product code is
// `packedCode`, in the order they are to be removed, scanned in each of
// `views` in turn: CleanInstallerUserData without the removal.
std::vector<InstallerRecord> FindInstallerUserData(const char* packedCode, const std::vector<RegistryView>& views);

// The folder entries CleanInstallerFolders would delete, without deleting them.
std::vector<InstallerRecord> FindInstallerFolders(const char* folderKeyPath, RegistryView view,
                                                  const std::string& installDir,
                                                  const std::vector<std::string>& menuDirs, const char* productCode);

// Removes one record.
Result RemoveInstallerRecord(const InstallerRecord& record);

// Every user's installer records of the product whose packed product code
// is `packedCode`: its value in each component key (the key goes only when
// nothing else is left in it) and its Products key. A key found there that
// is a symbolic link is read and removed as the link only. Each of `views`
// is scanned (on 64-bit Windows the 32-bit one, then the 64-bit one); each
// record is removed in the view where it was found. The first failure, if any.
Result CleanInstallerUserData(const char* packedCode, const std::vector<RegistryView>& views);

// Deletes the values of the folder key HKLM\folderKeyPath, opened in the
// view `view` selects, whose names are installDir or menuDir or a path below
// either (whole components: "C:\Morvane2\" is not below "C:\Morvane"), or
// contain productCode anywhere. Names compare with letter case.
Result CleanInstallerFolders(const char* folderKeyPath, RegistryView view, const char* installDir, const char* menuDir,
                             const char* productCode);

}  // namespace sysops
