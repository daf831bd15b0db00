#include "uninstall/Steps.h"

#include "sysops/Files.h"
#include "sysops/FsRedirection.h"
#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/RegistryValue.h"
#include "uninstall/FileCatalogue.h"
#include "uninstall/InstallDirGuard.h"
#include "uninstall/Locations.h"
#include "uninstall/RegistryCatalogue.h"

#include <windows.h>

namespace uninstall {
namespace {

using sysops::DeleteFileOrTree;
using sysops::FileExists;
using sysops::JoinPath;

// Install directories the product's setups choose, and the part that names
// the vendor folder holding them.
struct VendorFolderRule {
    const char* ending;
    const char* cut;
};
constexpr VendorFolderRule kVendorFolderRules[] = {
    {"\\TQM\\Morvane", "\\Morvane"},
    {"\\TQV\\Morvane", "\\Morvane"},
    {"\\TQV\\TQV Morvane", "\\TQV Morvane"},
};

// The vendor folder goes too when the install tree was its only content.
void RemoveEmptyVendorFolder(const std::string& installDir)
{
    for (const VendorFolderRule& rule : kVendorFolderRules) {
        const std::size_t ending = std::char_traits<char>::length(rule.ending);
        if (installDir.size() > ending && sysops::EndsWithNoCase(installDir, rule.ending)) {
            const std::string parent = installDir.substr(0, installDir.size() - std::char_traits<char>::length(rule.cut));
            RemoveDirectoryA(parent.c_str());
            return;
        }
    }
}

void RemoveInstallTree(Run& run)
{
    const std::string& installDir = run.paths.installDir;
    if (!installDir.empty() && IsRemovableInstallTree(installDir, run.paths)) {
        DeleteFileOrTree(installDir.c_str(), nullptr);
        RemoveEmptyVendorFolder(installDir);
    }
    run.Step();
}

// Deletes "base\relative" as a tree when it holds `marker`.
void DeleteTreeHolding(const std::string& base, const char* relative, const char* marker)
{
    std::string folder;
    if (!base.empty() && JoinPath(base, relative, folder) && FileExists(folder.c_str(), marker))
        DeleteFileOrTree(folder.c_str(), nullptr);
}

// Deletes the tree "base\name" when base holds an entry of that name.
void DeleteTreeIfPresent(const std::string& base, const char* name)
{
    std::string folder;
    if (!base.empty() && FileExists(base.c_str(), name) && JoinPath(base, name, folder))
        DeleteFileOrTree(folder.c_str(), nullptr);
}

void RemoveInstallerCaches(Run& run)
{
    DeleteTreeHolding(run.paths.programFilesDir, kInstallShieldCachePackageC, kInstallShieldCacheMarker);
    run.Step();
    DeleteTreeHolding(run.paths.programFilesDir, kInstallShieldCachePackageA, kInstallShieldCacheMarker);
    run.Step();

    std::string installerDir;
    JoinPath(run.paths.windowsDir, "Installer", installerDir);
    DeleteTreeIfPresent(installerDir, kWindowsInstallerCachePackageA);
    run.Step();
    DeleteTreeIfPresent(installerDir, kWindowsInstallerCachePackageB);  // no step of its own
}

bool IsAbsolutePath(const std::string& path)
{
    return (path.size() > 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
           (path.size() > 2 && path[0] == '\\' && path[1] == '\\');
}

// Package B's installer database, cached where its LocalPackage value says.
void RemoveCachedPackage(Run& run)
{
    const REGSAM view = run.ViewMask64();
    sysops::UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPackageBInstallProperties, 0, KEY_QUERY_VALUE | view, key.Put()) ==
        ERROR_SUCCESS) {
        std::string package;
        const bool read = sysops::ReadStringValue(key.Get(), kLocalPackageValue, package);
        key.Reset();
        // A relative name would point into whatever directory is current.
        if (read && IsAbsolutePath(package)) {
            SetFileAttributesA(package.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(package.c_str());
        }
    }
    run.Step();
}

// The menu folder's "Startup", or else its Hebrew-named twin, loses the shortcut.
void RemoveStartupShortcut(const std::string& menuDir)
{
    for (const char* startup : {kStartupFolder, kHebrewStartupFolder}) {
        std::string folder;
        if (JoinPath(menuDir, startup, folder) && FileExists(folder.c_str(), kStartupShortcut)) {
            DeleteFileOrTree(folder.c_str(), kStartupShortcut);
            return;
        }
    }
}

void RemoveMenuEntries(Run& run)
{
    const std::string& menuDir = run.paths.menuDir;
    if (!menuDir.empty() && FileExists(menuDir.c_str(), kMenuProductFolder) &&
        JoinPath(menuDir, kMenuProductFolder, run.paths.menuProductDir))
        DeleteFileOrTree(run.paths.menuProductDir.c_str(), nullptr);
    run.Step();

    std::string vendorFolder;
    if (!menuDir.empty() && FileExists(menuDir.c_str(), kMenuVendorFolder) &&
        JoinPath(menuDir, kMenuVendorFolder, vendorFolder) &&
        JoinPath(vendorFolder, kMenuProductFolder, run.paths.menuProductDir)) {
        DeleteFileOrTree(run.paths.menuProductDir.c_str(), nullptr);
        RemoveDirectoryA(vendorFolder.c_str());
    }
    run.Step();

    if (!menuDir.empty())
        RemoveStartupShortcut(menuDir);
    run.Step();
}

// The driver lives in the native "drivers" folder: on 64-bit Windows that is
// below the 64-bit system directory, reached with redirection off.
void RemoveFilterDriver(Run& run)
{
    if (sysops::GetOsClass() < sysops::OSCLASS_WIN2000)
        return;
    const std::string& systemDir = run.is64BitWindows ? run.paths.systemDir64 : run.paths.systemDir32;
    RowContext context;
    context.is64BitWindows = run.is64BitWindows;
    std::string driversDir;
    if (JoinPath(systemDir, kDriversFolder, driversDir)) {
        const sysops::ScopedFsRedirectionOff redirection(run.is64BitWindows);
        context.driverFileFound = FileExists(driversDir.c_str(), kFilterDriverFile) == 1;
        if (context.driverFileFound)
            DeleteFileOrTree(driversDir.c_str(), kFilterDriverFile);
    }
    RemoveRegistryRows(DriverKeys, context);
}

}  // namespace

void RemoveInstallTreeAndCaches(Run& run)
{
    RemoveInstallTree(run);
    RemoveInstallerCaches(run);
    RemoveCachedPackage(run);
}

void RemoveSystemFiles(Run& run)
{
    DeleteFiles(run.paths.systemDir32, SystemFileSet32);
    run.Step();
    if (run.is64BitWindows) {
        const sysops::ScopedFsRedirectionOff redirection;
        DeleteFiles(run.paths.systemDir64, SystemFileSet64);
        run.Step();
    }
    DeleteFiles(run.paths.systemDir32, MiddlewareFileSet);
    run.Step();
}

void RemoveMenuAndDriver(Run& run)
{
    run.paths.menuDir = FindMenuDir(run.paths.windowsDir, sysops::GetOsClass());
    run.Step();
    RemoveMenuEntries(run);
    RemoveFilterDriver(run);
}

}  // namespace uninstall
