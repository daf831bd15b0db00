#include "uninstall/Steps.h"

#include "sysops/Files.h"
#include "sysops/FsRedirection.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/RegistryValue.h"
#include "sysops/SystemInfo.h"
#include "uninstall/Act.h"
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
    const char* cut;  // a backslash, then the product folder's name
};
constexpr VendorFolderRule kVendorFolderRules[] = {
    {"\\TQM\\Morvane", "\\Morvane"},
    {"\\TQV\\Morvane", "\\Morvane"},
    {"\\TQV\\TQV Morvane", "\\TQV Morvane"},
};

// Windows Installer caches an installed database under this name ending.
constexpr char kCachedDatabaseEnding[] = ".msi";

// A removal call's result as the record takes it.
unsigned long ResultOf(int succeeded)
{
    return succeeded != 0 ? 0ul : sysops::LastError();
}

void RemoveTree(Run& run, const std::string& path)
{
    Act(run, Item::Tree(path), [&path] { return ResultOf(DeleteFileOrTree(path.c_str(), nullptr)); });
}

void RemoveFile(Run& run, const std::string& path)
{
    Act(run, Item::File(path), [&path] { return ResultOf(sysops::DeleteFileAtPath(path.c_str())); });
}

// Deletes the tree `folder`; its parent `vendorFolder` goes too when the
// tree was all it held. Whether it was is asked before the tree goes, so
// that a preview and a removal decide alike. A vendor folder that holds
// others' files is the product's to mention only while the tree is in it.
void RemoveTreeAndVendorFolder(Run& run, const std::string& folder, const std::string& vendorFolder,
                               const char* productName)
{
    const Item vendor = Item::Folder(vendorFolder);
    const bool treeIsThere = IsThere(run, Item::Tree(folder));
    const bool vendorFolderIsOurs = FolderHoldsOnly(run, vendorFolder, productName);
    RemoveTree(run, folder);
    if (vendorFolderIsOurs)
        Act(run, vendor, [vendorFolder] { return ResultOf(sysops::RemoveEmptyDirectory(vendorFolder.c_str())); });
    else if (treeIsThere)
        Keep(run, vendor, "other software's files are in it");
    else
        run.Record().Add(vendor, Outcome::NotPresent);
}

const VendorFolderRule* VendorFolderRuleFor(const std::string& installDir)
{
    for (const VendorFolderRule& rule : kVendorFolderRules) {
        if (installDir.size() > std::strlen(rule.ending) && sysops::EndsWithNoCase(installDir, rule.ending))
            return &rule;
    }
    return nullptr;
}

void RemoveInstallTree(Run& run)
{
    const std::string& installDir = run.paths.installDir;
    if (!installDir.empty() && !run.installTreeAccepted) {
        Keep(run, Item::Tree(installDir), "the install-tree guard refused the folder");
    } else if (const VendorFolderRule* rule = installDir.empty() ? nullptr : VendorFolderRuleFor(installDir)) {
        const std::string vendorFolder = installDir.substr(0, installDir.size() - std::strlen(rule->cut));
        RemoveTreeAndVendorFolder(run, installDir, vendorFolder, rule->cut + 1);
    } else if (!installDir.empty()) {
        RemoveTree(run, installDir);
    }
    run.Step();
}

// Deletes "base\relative" as a tree when it holds `marker`.
void DeleteTreeHolding(Run& run, const std::string& base, const char* relative, const char* marker)
{
    std::string folder;
    if (base.empty() || !JoinPath(base, relative, folder))
        return;
    if (FileExists(folder.c_str(), marker))
        RemoveTree(run, folder);
    else
        Keep(run, Item::Tree(folder), std::string("no ") + marker + " in it");
}

// Deletes the tree "base\name" when base holds an entry of that name.
void DeleteTreeIfPresent(Run& run, const std::string& base, const char* name)
{
    std::string folder;
    if (!base.empty() && JoinPath(base, name, folder))
        RemoveTree(run, folder);
}

void RemoveInstallerCaches(Run& run)
{
    DeleteTreeHolding(run, run.paths.programFilesDir, kInstallShieldCachePackageC, kInstallShieldCacheMarker);
    run.Step();
    DeleteTreeHolding(run, run.paths.programFilesDir, kInstallShieldCachePackageA, kInstallShieldCacheMarker);
    run.Step();

    std::string installerDir;
    JoinPath(run.paths.windowsDir, kWindowsInstallerFolder, installerDir);
    DeleteTreeIfPresent(run, installerDir, kWindowsInstallerCachePackageA);
    run.Step();
    DeleteTreeIfPresent(run, installerDir, kWindowsInstallerCachePackageB);  // no step of its own
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
    if (sysops::ReadStringValue(kPackageBInstallProperties, kLocalPackageValue, run.InstallerView(), package)) {
        if (IsCachedDatabase(package, run.paths.windowsDir))
            RemoveFile(run, package);
        else
            Keep(run, Item::File(package), "not a database cached in the Windows Installer folder");
    }
    run.Step();
}

// The menu folder's "Startup", or else its Hebrew-named twin, loses the shortcut.
void RemoveStartupShortcut(Run& run, const std::string& menuDir)
{
    std::string first;
    for (const char* startup : {kStartupFolder, kHebrewStartupFolder}) {
        std::string folder;
        std::string shortcut;
        if (!JoinPath(menuDir, startup, folder) || !JoinPath(folder, kStartupShortcut, shortcut))
            continue;
        if (FileExists(folder.c_str(), kStartupShortcut)) {
            RemoveFile(run, shortcut);
            return;
        }
        if (first.empty())
            first = shortcut;
    }
    if (!first.empty())
        run.Record().Add(Item::File(first), Outcome::NotPresent);
}

// The product's menu folders, the later one winning; returns the product's
// menu folder found last.
std::string RemoveMenuEntries(Run& run, const std::string& menuDir)
{
    std::string menuProductDir;
    std::string folder;
    if (!menuDir.empty() && JoinPath(menuDir, kMenuProductFolder, folder)) {
        if (FileExists(menuDir.c_str(), kMenuProductFolder))
            menuProductDir = folder;
        RemoveTree(run, folder);
    }
    run.Step();

    std::string vendorFolder;
    if (!menuDir.empty() && JoinPath(menuDir, kMenuVendorFolder, vendorFolder) &&
        JoinPath(vendorFolder, kMenuProductFolder, folder)) {
        if (FileExists(menuDir.c_str(), kMenuVendorFolder)) {
            menuProductDir = folder;
            RemoveTreeAndVendorFolder(run, folder, vendorFolder, kMenuProductFolder);
        } else {
            run.Record().Add(Item::Tree(folder), Outcome::NotPresent);
        }
    }
    run.Step();

    if (!menuDir.empty())
        RemoveStartupShortcut(run, menuDir);
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
    std::string driver;
    if (JoinPath(systemDir, kDriversFolder, driversDir) && JoinPath(driversDir, kFilterDriverFile, driver)) {
        const Item item = Item::File(driver, run.is64BitWindows);
        context.driverFileFound = IsThere(run, item);
        Act(run, item, [driversDir] {
            const sysops::ScopedFsRedirectionOff redirection;
            return ResultOf(DeleteFileOrTree(driversDir.c_str(), kFilterDriverFile));
        });
    }
    RemoveRegistryRows(run, DriverKeys, context);
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
    run.Record().Note("location", "program menu " + (menuDir.empty() ? std::string("(none)") : menuDir));
    run.Step();
    std::string menuProductDir = RemoveMenuEntries(run, menuDir);
    RemoveFilterDriver(run);
    return menuProductDir;
}

}  // namespace uninstall
