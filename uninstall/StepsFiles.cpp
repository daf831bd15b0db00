#include "uninstall/Steps.h"

#include "sysops/Files.h"
#include "sysops/FolderChain.h"
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
#include <vector>

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

// Why a tree on a held path is left alone.
constexpr char kLinkOnTheWay[] = "a folder on its way is a link, or it is not a folder";

// Removes the tree the chain holds; `folder` names it as the run found it.
void RemoveHeldTree(Run& run, const std::string& folder, sysops::FolderChain& chain)
{
    if (chain.State() == sysops::ChainState::Refused)
        Keep(run, Item::Tree(folder), kLinkOnTheWay);
    else
        Act(run, Item::Tree(folder), [&chain] { return ResultOf(sysops::DeleteHeldTree(chain)); });
}

void RemoveFile(Run& run, const std::string& path)
{
    Act(run, Item::File(path), [&path] { return ResultOf(sysops::DeleteFileAtPath(path.c_str())); });
}

// Deletes the held tree `folder`; its parent `vendorFolder` goes too when the
// tree was all it held. Whether it was is asked before the tree goes, so
// that a preview and a removal decide alike. A vendor folder that holds
// others' files is the product's to mention only while the tree is in it.
// The vendor folder is removed through the chain, which holds it.
void RemoveTreeAndVendorFolder(Run& run, const std::string& folder, sysops::FolderChain& chain,
                               const std::string& vendorFolder, const char* productName)
{
    const Item vendor = Item::Folder(vendorFolder);
    const bool treeIsThere = chain.State() == sysops::ChainState::Held && IsThere(run, Item::Tree(folder));
    const bool vendorFolderIsOurs = chain.State() != sysops::ChainState::Refused &&
                                    FolderHoldsOnly(run, vendorFolder, productName);
    RemoveHeldTree(run, folder, chain);
    if (vendorFolderIsOurs) {
        Act(run, vendor, [&chain] { return Done(chain.RemoveEmptyFolder(chain.Levels() - 2)); });
    } else if (treeIsThere) {
        Keep(run, vendor, "other software's files are in it");
    } else {
        run.Record().Add(vendor, Outcome::NotPresent);
    }
}

const VendorFolderRule* VendorFolderRuleFor(const std::string& installDir)
{
    for (const VendorFolderRule& rule : kVendorFolderRules) {
        if (installDir.size() > std::strlen(rule.ending) && sysops::EndsWithNoCase(installDir, rule.ending))
            return &rule;
    }
    return nullptr;
}

// Only what the guard accepted is touched; a refused path is not even
// looked at.
void RemoveInstallTree(Run& run)
{
    if (!run.installTree) {
        if (!run.paths.installDir.empty())
            KeepUnseen(run, Item::Tree(run.paths.installDir),
                       "the install-tree guard refused the folder: " + run.installTreeRefusal);
        run.Step();
        return;
    }
    AcceptedTree& tree = *run.installTree;
    const std::string& installDir = tree.Path();
    if (const VendorFolderRule* rule = VendorFolderRuleFor(installDir)) {
        const std::string vendorFolder = installDir.substr(0, installDir.size() - std::strlen(rule->cut));
        RemoveTreeAndVendorFolder(run, installDir, tree.Chain(), vendorFolder, rule->cut + 1);
    } else {
        RemoveHeldTree(run, installDir, tree.Chain());
    }
    run.Step();
}

// Deletes "base\relative" as a tree when it holds `marker`; the folder is
// held from the look to the deletion.
void DeleteTreeHolding(Run& run, const std::string& base, const char* relative, const char* marker)
{
    std::string folder;
    if (base.empty() || !JoinPath(base, relative, folder))
        return;
    sysops::FolderChain chain;
    chain.Hold(folder);
    if (chain.State() == sysops::ChainState::Held && FileExists(folder.c_str(), marker))
        RemoveHeldTree(run, folder, chain);
    else if (chain.State() == sysops::ChainState::Refused)
        Keep(run, Item::Tree(folder), kLinkOnTheWay);
    else
        Keep(run, Item::Tree(folder), std::string("no ") + marker + " in it");
}

// Deletes the tree "base\name" when base holds an entry of that name.
void DeleteTreeIfPresent(Run& run, const std::string& base, const char* name)
{
    std::string folder;
    if (base.empty() || !JoinPath(base, name, folder))
        return;
    sysops::FolderChain chain;
    chain.Hold(folder);
    RemoveHeldTree(run, folder, chain);
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
            KeepUnseen(run, Item::File(package), "not a database cached in the Windows Installer folder");
    }
    run.Step();
}

// "menu\relative" as the run found it, and held: the menus of Vista and
// later are reached through Windows' own junctions, which only
// administrators can make or change; a link anybody else made is not passed.
struct MenuFolder {
    std::string found;
    sysops::FolderChain chain;
};

bool HoldMenuFolder(const std::string& menu, const char* relative, MenuFolder& folder)
{
    if (!JoinPath(menu, relative, folder.found))
        return false;
    folder.chain.Hold(folder.found, sysops::Links::OfAdministratorsAboveTheEnd);
    return true;
}

// The folder's names as found and as reached: Windows Installer's folder
// entries name the one it reached.
void NoteProductDir(const MenuFolder& folder, std::vector<std::string>& productDirs)
{
    productDirs.push_back(folder.found);
    if (folder.chain.Reached() != folder.found)
        productDirs.push_back(folder.chain.Reached());
}

// A menu folder's "Startup", or else its Hebrew-named twin, loses the
// shortcut, through the held folder's handle.
void RemoveStartupShortcut(Run& run, const std::string& menu)
{
    std::string first;
    for (const char* startup : {kStartupFolder, kHebrewStartupFolder}) {
        MenuFolder folder;
        std::string shortcut;
        if (!HoldMenuFolder(menu, startup, folder) || !JoinPath(folder.found, kStartupShortcut, shortcut))
            continue;
        if (folder.chain.State() == sysops::ChainState::Held && FileExists(folder.found.c_str(), kStartupShortcut)) {
            Act(run, Item::File(shortcut), [&folder] { return ResultOf(sysops::DeleteFileIn(folder.chain, kStartupShortcut)); });
            return;
        }
        if (first.empty())
            first = shortcut;
    }
    if (!first.empty())
        run.Record().Add(Item::File(first), Outcome::NotPresent);
}

// The product's folder in one menu.
void RemoveMenuProductFolder(Run& run, const std::string& menu, std::vector<std::string>& productDirs)
{
    MenuFolder folder;
    if (!HoldMenuFolder(menu, kMenuProductFolder, folder))
        return;
    if (folder.chain.State() == sysops::ChainState::Held)
        NoteProductDir(folder, productDirs);
    RemoveHeldTree(run, folder.found, folder.chain);
}

// The product's folder under the menu's vendor folder, and the vendor folder
// when that was all it held.
void RemoveMenuVendorFolder(Run& run, const std::string& menu, std::vector<std::string>& productDirs)
{
    std::string relative;
    std::string vendorFolder;
    MenuFolder folder;
    if (!JoinPath(kMenuVendorFolder, kMenuProductFolder, relative) || !JoinPath(menu, kMenuVendorFolder, vendorFolder) ||
        !HoldMenuFolder(menu, relative.c_str(), folder))
        return;
    if (!folder.chain.Reaches(folder.chain.Levels() - 2)) {
        run.Record().Add(Item::Tree(folder.found), Outcome::NotPresent);
        return;
    }
    NoteProductDir(folder, productDirs);
    RemoveTreeAndVendorFolder(run, folder.found, folder.chain, vendorFolder, kMenuProductFolder);
}

// The product's menu folders in every menu, in step; returns the product's
// menu folders it found.
std::vector<std::string> RemoveMenuEntries(Run& run, const std::vector<std::string>& menus)
{
    std::vector<std::string> productDirs;
    for (const std::string& menu : menus)
        RemoveMenuProductFolder(run, menu, productDirs);
    run.Step();
    for (const std::string& menu : menus)
        RemoveMenuVendorFolder(run, menu, productDirs);
    run.Step();
    for (const std::string& menu : menus)
        RemoveStartupShortcut(run, menu);
    run.Step();
    return productDirs;
}

std::vector<std::string> NoteMenus(Run& run)
{
    const std::vector<std::string> menus = FindMenuDirs(run.paths.windowsDir, sysops::GetOsClass());
    for (const std::string& menu : menus)
        run.Record().Note("location", "program menu " + menu);
    if (menus.empty())
        run.Record().Note("location", "program menu (none)");
    return menus;
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

std::vector<std::string> RemoveMenuAndDriver(Run& run)
{
    const std::vector<std::string> menus = NoteMenus(run);
    run.Step();
    std::vector<std::string> menuProductDirs = RemoveMenuEntries(run, menus);
    RemoveFilterDriver(run);
    return menuProductDirs;
}

}  // namespace uninstall
