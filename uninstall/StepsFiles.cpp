#include "uninstall/Steps.h"

#include "sysops/Files.h"
#include "sysops/FolderChain.h"
#include "sysops/FsRedirection.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/RegistryValue.h"
#include "sysops/Restart.h"
#include "uninstall/Act.h"
#include "uninstall/FileCatalogue.h"
#include "uninstall/Locations.h"
#include "uninstall/RegistryCatalogue.h"

#include <cstring>
#include <vector>

namespace uninstall {
namespace {

using sysops::FileExists;
using sysops::JoinPath;

// Why a tree on a held path is left alone.
constexpr char kLinkOnTheWay[] = "a folder on its way is a link, or it is not a folder";

// What is in use in a tree goes at the restart where only administrators
// could have put it.
constexpr sysops::InUse kTreeInUse = sysops::InUse::GoesAtRestartIfOnlyAdministrators;

// Removes the tree the chain holds; `folder` names it as the run found it.
Outcome RemoveHeldTree(Run& run, const std::string& folder, sysops::FolderChain& chain)
{
    if (chain.State() == sysops::ChainState::Refused)
        return Keep(run, Item::Tree(folder), kLinkOnTheWay);
    return Act(run, Item::Tree(folder), [&chain] { return sysops::DeleteHeldTree(chain, kTreeInUse); });
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
    const std::size_t vendorLevel = chain.Levels() - 2;
    // A vendor folder only administrators could have changed follows a tree
    // that goes at the restart.
    const bool vendorMayWait = sysops::OnlyAdministratorsHold(chain, vendorLevel + 1);
    const Outcome tree = RemoveHeldTree(run, folder, chain);
    if (vendorFolderIsOurs && tree == Outcome::AtRestart && vendorMayWait)
        Act(run, vendor, [&vendorFolder] { return sysops::ScheduleForRestart(vendorFolder, true); });
    else if (vendorFolderIsOurs)
        Act(run, vendor, [&chain, vendorLevel] { return chain.RemoveEmptyFolder(vendorLevel); });
    else if (treeIsThere)
        Keep(run, vendor, "other software's files are in it");
    else
        run.Record().Add(vendor, Outcome::NotPresent);
}

const VendorFolderRule* VendorFolderRuleFor(const std::string& installDir)
{
    for (const VendorFolderRule& rule : VendorFolderRules) {
        if (installDir.size() > std::strlen(rule.ending) && sysops::EndsWithText(installDir, rule.ending))
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
    } else if (const VendorFolderRule* rule = VendorFolderRuleFor(run.installTree->Path())) {
        const std::string& installDir = run.installTree->Path();
        const std::string vendorFolder = installDir.substr(0, installDir.size() - std::strlen(rule->cut));
        RemoveTreeAndVendorFolder(run, installDir, run.installTree->Chain(), vendorFolder, rule->cut + 1);
    } else {
        RemoveHeldTree(run, run.installTree->Path(), run.installTree->Chain());
    }
    run.Step(Stages.installTree);
}

// An installer's cache folder, held from the look to the deletion; one that
// needs a marker goes only when it holds it.
void RemoveCache(Run& run, const CacheRow& row)
{
    std::string base = run.paths.programFilesDir;
    if (row.base == CacheBase::WindowsInstaller && !JoinPath(run.paths.windowsDir, kWindowsInstallerFolder, base))
        base.clear();
    std::string folder;
    if (!base.empty() && JoinPath(base, row.folder, folder)) {
        sysops::FolderChain chain;
        chain.Hold(folder);
        if (row.marker == nullptr || chain.State() == sysops::ChainState::Refused ||
            (chain.State() == sysops::ChainState::Held && FileExists(folder.c_str(), row.marker)))
            RemoveHeldTree(run, folder, chain);
        else
            Keep(run, Item::Tree(folder), std::string("no ") + row.marker + " in it");
    }
    run.Step(row.steps);
}

// Windows Installer keeps the databases it caches directly in
// "<Windows>\Installer". A value that names any other file is not the
// product's to delete, whoever wrote it.
bool IsCachedDatabase(const std::string& path, const std::string& windowsDir)
{
    std::string folder;
    if (windowsDir.empty() || !JoinPath(windowsDir, kWindowsInstallerFolder, folder))
        return false;
    folder.push_back('\\');
    if (path.size() <= folder.size() || !sysops::StartsWithText(path, folder))
        return false;
    const std::string name = path.substr(folder.size());
    return name.find_first_of("\\/:") == std::string::npos && name.size() > std::strlen(CachedPackage.ending) &&
           sysops::EndsWithText(name, CachedPackage.ending);
}

// Package B's installer database, cached where its value says.
void RemoveCachedPackage(Run& run)
{
    std::string package;
    if (sysops::ReadStringValue(CachedPackage.key, CachedPackage.value, run.InstallerView(), package)) {
        if (IsCachedDatabase(package, run.paths.windowsDir))
            Act(run, Item::File(package), [&package] { return sysops::DeleteFileAtPath(package.c_str(), kTreeInUse); });
        else
            KeepUnseen(run, Item::File(package), "not a database cached in the Windows Installer folder");
    }
    run.Step(CachedPackage.steps);
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

// A menu's first start-up folder that holds the shortcut loses it, through
// the held folder's handle.
void RemoveStartupShortcut(Run& run, const std::string& menu)
{
    std::string first;
    for (std::size_t i = 0; i < Menu.startupFolderCount; ++i) {
        MenuFolder folder;
        std::string shortcut;
        if (!HoldMenuFolder(menu, Menu.startupFolders[i], folder) || !JoinPath(folder.found, Menu.startupShortcut, shortcut))
            continue;
        if (folder.chain.State() == sysops::ChainState::Held && FileExists(folder.found.c_str(), Menu.startupShortcut)) {
            Act(run, Item::File(shortcut),
                [&folder] { return sysops::DeleteFileIn(folder.chain, Menu.startupShortcut, kTreeInUse); });
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
    if (!HoldMenuFolder(menu, Menu.productFolder, folder))
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
    if (!JoinPath(Menu.vendorFolder, Menu.productFolder, relative) || !JoinPath(menu, Menu.vendorFolder, vendorFolder) ||
        !HoldMenuFolder(menu, relative.c_str(), folder))
        return;
    if (!folder.chain.Reaches(folder.chain.Levels() - 2)) {
        run.Record().Add(Item::Tree(folder.found), Outcome::NotPresent);
        return;
    }
    NoteProductDir(folder, productDirs);
    RemoveTreeAndVendorFolder(run, folder.found, folder.chain, vendorFolder, Menu.productFolder);
}

// The product's menu folders in every menu, stage by stage; returns the
// product's menu folders it found.
std::vector<std::string> RemoveMenuEntries(Run& run, const std::vector<std::string>& menus)
{
    std::vector<std::string> productDirs;
    for (const std::string& menu : menus)
        RemoveMenuProductFolder(run, menu, productDirs);
    run.Step(Menu.productSteps);
    for (const std::string& menu : menus)
        RemoveMenuVendorFolder(run, menu, productDirs);
    run.Step(Menu.vendorSteps);
    for (const std::string& menu : menus)
        RemoveStartupShortcut(run, menu);
    run.Step(Menu.startupSteps);
    return productDirs;
}

std::vector<std::string> NoteMenus(Run& run)
{
    const std::vector<std::string> menus = FindMenuDirs(run.paths.windowsDir, run.osClass);
    for (const std::string& menu : menus)
        run.Record().Note("location", "program menu " + menu);
    if (menus.empty())
        run.Record().Note("location", "program menu (none)");
    return menus;
}

// The driver lives in the native drivers folder: on 64-bit Windows that is
// below the 64-bit system directory, reached with redirection off.
void RemoveFilterDriver(Run& run)
{
    RowContext context = run.Context();
    if (!Holds(FilterDriver.when, context))
        return;
    const std::string& systemDir = run.is64BitWindows ? run.paths.systemDir64 : run.paths.systemDir32;
    std::string driversDir;
    std::string driver;
    if (JoinPath(systemDir, FilterDriver.folder, driversDir) && JoinPath(driversDir, FilterDriver.file, driver)) {
        const Item item = Item::File(driver, run.is64BitWindows);
        context.driverFileFound = IsThere(run, item);
        Act(run, item, [&driver] {
            const sysops::ScopedFsRedirectionOff redirection;
            return sysops::DeleteFileAtPath(driver.c_str(), sysops::InUse::GoesAtRestart);
        });
    }
    RemoveRegistryRows(run, DriverKeys, context);
    run.Step(FilterDriver.steps);
}

}  // namespace

void RemoveInstallTreeAndCaches(Run& run)
{
    RemoveInstallTree(run);
    for (const CacheRow& row : InstallerCaches)
        RemoveCache(run, row);
    RemoveCachedPackage(run);
}

void RemoveSystemFiles(Run& run)
{
    DeleteFiles(run, SystemFileSet32);
    DeleteFiles(run, SystemFileSet64);
    DeleteFiles(run, MiddlewareFileSet);
}

std::vector<std::string> RemoveMenuAndDriver(Run& run)
{
    const std::vector<std::string> menus = NoteMenus(run);
    run.Step(Menu.findSteps);
    std::vector<std::string> menuProductDirs = RemoveMenuEntries(run, menus);
    RemoveFilterDriver(run);
    return menuProductDirs;
}

}  // namespace uninstall
