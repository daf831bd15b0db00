#include "uninstall/Steps.h"

#include "sysops/Handles.h"
#include "sysops/InstallerCleanup.h"
#include "uninstall/FileCatalogue.h"
#include "uninstall/InstallDirGuard.h"
#include "uninstall/RegistryCatalogue.h"

#include <windows.h>

namespace uninstall {
namespace {

constexpr const char* kInstallerFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";

void CleanFolderEntries(Run& run)
{
    const RunPaths& paths = run.paths;
    if (paths.installDir.empty() || paths.menuProductDir.empty())
        return;
    // The entries name folders by their full path: a hostile install
    // directory such as "C:\" would match every one of them.
    const REGSAM view = run.ViewMask64();
    sysops::UniqueRegKey folders;
    if (IsRemovableInstallTree(paths.installDir, paths) &&
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallerFoldersKey, 0, KEY_READ | view, folders.Put()) == ERROR_SUCCESS) {
        sysops::CleanInstallerFolders(folders.Get(), kInstallerFoldersKey, paths.installDir.c_str(),
                                      paths.menuProductDir.c_str());
        folders.Reset();
    }
    run.Step();
}

}  // namespace

void RemoveRegistryEntries(Run& run)
{
    RowContext context;
    context.is64BitWindows = run.is64BitWindows;

    RemoveRegistryRows(VendorKeys, context);
    RemoveRegistryRows(CardProviderKeys, context);
    if (run.is64BitWindows)
        RemoveRegistryRows(CardProviderKeys64, context);
    RemoveRegistryRows(AppRegistrationKeys, context);
    run.Step();
    RemoveRegistryRows(SetupPackageKeys, context);
    run.Step();
    RemoveRegistryRows(UpgradeCodeKeys, context);
    sysops::CleanInstallerUserData();
    run.Step();
    RemoveRegistryRows(InstallerPackageKeys, context);
    run.Step();
    CleanFolderEntries(run);
}

void RemoveSharedReferences(Run& run)
{
    const RunPaths& paths = run.paths;
    RowContext context;
    context.is64BitWindows = run.is64BitWindows;

    run.DebugBox("Delete 32-bit shared dll's", "Delete");
    DeleteSharedRefs(run.is64BitWindows ? paths.systemDir64 : paths.systemDir32, SharedRefList32);
    if (!paths.installDir.empty())
        DeleteSharedRefs(paths.installDir, InstallRefList);
    run.Step();
    if (run.is64BitWindows) {
        DeleteSharedRefs(paths.systemDir64, SharedRefList64);
        if (!paths.installDir.empty())
            DeleteSharedRefs(paths.installDir, InstallRefList64);
        run.Step();
    }
    RemoveRegistryRows(MiddlewareKeys, context);
    run.Step();
    DeleteSharedRefs(paths.systemDir32, MiddlewareRefList);
}

}  // namespace uninstall
