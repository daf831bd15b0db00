#include "uninstall/Steps.h"

#include "sysops/Files.h"
#include "sysops/FsRedirection.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/RegistryValue.h"
#include "uninstall/FileCatalogue.h"
#include "uninstall/Locations.h"
#include "uninstall/RegistryCatalogue.h"

#include <cstring>

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

// Windows Installer caches an installed database under this name ending.
constexpr char kCachedDatabaseEnding[] = ".msi";

// The vendor folder goes too when the install tree was its only content.
void RemoveEmptyVendorFolder(const std::string& installDir)
{
    for (const VendorFolderRule& rule : kVendorFolderRules) {
        const std::size_t ending = std::char_traits<char>::length(rule.ending);
        if (installDir.size() > ending && sysops::EndsWithNoCase(installDir, rule.ending)) {
            const std::string parent = installDir.substr(0, installDir.size() - std::char_traits<char>::length(rule.cut));
            sysops::RemoveEmptyDirectory(parent.c_str());
            return;
        }
    }
}

void RemoveInstallTree(Run& run)
{
    if (run.installTreeAccepted) {
        DeleteFileOrTree(run.paths.installDir.c_str(), nullptr);
        RemoveEmptyVendorFolder(run.paths.installDir);
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
    JoinPath(run.paths.windowsDir, kWindowsInstallerFolder, installerDir);
    DeleteTreeIfPresent(installerDir, kWindowsInstallerCachePackageA);
    run.Step();
    DeleteTreeIfPresent(installerDir, kWindowsInstallerCachePackageB);  // no step of its own
}

// Windows Installer keeps the databases it caches directly in
// "<Windows>\Installer", named "<something>.msi". A value that names any
// other file is not the product's to delete, whoever wrote it.
bool IsCachedDatabase(const std::string& path, const std::string& windowsDir)
{
    std::string folder;
    if (windowsDir.empty() || !JoinPath(windowsDir, kWindowsInstallerFolder, folder))
        return false;
    folder.push_back('\\');
    if (path.size() <= folder.size() || !sysops::EqualsNoCase(path.substr(0, folder.size()).c_str(), folder.c_str()))
        return false;
    const std::string name = path.substr(folder.size());
    return name.find_first_of("\\/:") == std::string::npos && name.size() > std::strlen(kCachedDatabaseEnding) &&
           sysops::EndsWithNoCase(name, kCachedDatabaseEnding);
}

// Package B's installer database, cached where its LocalPackage value says.
void RemoveCachedPackage(Run& run)
{
    std::string package;
    if (sysops::ReadStringValue(kPackageBInstallProperties, kLocalPackageValue, run.InstallerView(), package) &&
        IsCachedDatabase(package, run.paths.windowsDir))
        sysops::DeleteFileAtPath(package.c_str());
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

// The product's menu folders, the later one winning; returns the product's
// folder deleted last.
std::string RemoveMenuEntries(Run& run, const std::string& menuDir)
{
    std::string menuProductDir;
    std::string folder;
    if (!menuDir.empty() && FileExists(menuDir.c_str(), kMenuProductFolder) &&
        JoinPath(menuDir, kMenuProductFolder, folder)) {
        DeleteFileOrTree(folder.c_str(), nullptr);
        menuProductDir = folder;
    }
    run.Step();

    std::string vendorFolder;
    if (!menuDir.empty() && FileExists(menuDir.c_str(), kMenuVendorFolder) &&
        JoinPath(menuDir, kMenuVendorFolder, vendorFolder) && JoinPath(vendorFolder, kMenuProductFolder, folder)) {
        DeleteFileOrTree(folder.c_str(), nullptr);
        sysops::RemoveEmptyDirectory(vendorFolder.c_str());
        menuProductDir = folder;
    }
    run.Step();

    if (!menuDir.empty())
        RemoveStartupShortcut(menuDir);
    run.Step();
    return menuProductDir;
}

// The driver lives in the native "drivers" folder: on 64-bit Windows that is
// below the 64-bit system directory, reached with redirection off.
void RemoveFilterDriver(Run& run)
{
    if (sysops::GetOsClass() < sysops::OSCLASS_WIN2000)
        return;
    const std::string& systemDir = run.is64BitWindows ? run.paths.systemDir64 : run.paths.systemDir32;
    RowContext context = run.Context();
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
    for (const FileList* list : {&SystemFileSet32, &SystemFileSet64, &MiddlewareFileSet}) {
        if (DeleteFiles(run, *list))
            run.Step();
    }
}

std::string RemoveMenuAndDriver(Run& run)
{
    const std::string menuDir = FindMenuDir(run.paths.windowsDir, sysops::GetOsClass());
    run.Step();
    std::string menuProductDir = RemoveMenuEntries(run, menuDir);
    RemoveFilterDriver(run);
    return menuProductDir;
}

}  // namespace uninstall
