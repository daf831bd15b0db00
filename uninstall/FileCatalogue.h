// What the product leaves in the file system and in the shared-library
// reference counts, as fixed lists (uninstall/Catalogue.cpp holds the data).
// Each list is walked in row order; a row that names nothing on this machine
// is passed over.
#pragma once

#include "uninstall/Catalogue.h"
#include "uninstall/Run.h"

namespace uninstall {

// The directory a list's names are relative to.
enum class FileBase {
    SystemDir32,      // SysWOW64 on 64-bit Windows, else system32 or system
    NativeSystemDir,  // the native system32 on 64-bit Windows, else the same as SystemDir32
    InstallDir,       // lists based on it are skipped when it is unknown
};

// Files deleted with DeleteFileOrTree(base, name).
struct FileList {
    NameList names;
    FileBase base;
    When when;
};

// Shared-library reference values: one value per file under kSharedDllsKey,
// named by the file's full path "<base>\name", removed in the list's view.
struct RefList {
    NameList names;
    FileBase base;
    int view64;
    When when;
};

extern const char kSharedDllsKey[];

extern const FileList SystemFileSet32;
extern const FileList SystemFileSet64;
extern const FileList MiddlewareFileSet;

extern const RefList SharedRefList32;
extern const RefList InstallRefList;
extern const RefList SharedRefList64;
extern const RefList InstallRefList64;
extern const RefList MiddlewareRefList;

// ---- Single items, each with its own test (the run reaches them in order) ----

// Installer caches under the program-files directory, deleted when they hold kInstallShieldCacheMarker.
extern const char kInstallShieldCachePackageC[];
extern const char kInstallShieldCachePackageA[];
extern const char kInstallShieldCacheMarker[];
// Installer caches under "<Windows>\Installer", deleted when that folder holds them.
extern const char kWindowsInstallerFolder[];
extern const char kWindowsInstallerCachePackageA[];
extern const char kWindowsInstallerCachePackageB[];
// Package B's cached installer database is named by this value.
extern const char kPackageBInstallProperties[];
extern const char kLocalPackageValue[];
// Below the program-menu folder.
extern const char kMenuProductFolder[];
extern const char kMenuVendorFolder[];
extern const char kStartupShortcut[];
extern const char kStartupFolder[];
extern const char kHebrewStartupFolder[];
// The smart-card filter driver, in the native system directory's "drivers" folder.
extern const char kDriversFolder[];
extern const char kFilterDriverFile[];

// Deletes every file of `list` from its base directory. False, touching
// nothing, when the list does not apply on this machine or its base is unknown.
bool DeleteFiles(Run& run, const FileList& list);

// Removes the reference value of every file of `list`. False, touching
// nothing, when the list does not apply on this machine or its base is unknown.
bool DeleteSharedRefs(Run& run, const RefList& list);

}  // namespace uninstall
