#include "uninstall/Steps.h"

#include "sysops/InstallerCleanup.h"
#include "sysops/Registry.h"
#include "uninstall/Act.h"
#include "uninstall/FileCatalogue.h"
#include "uninstall/RegistryCatalogue.h"

namespace uninstall {
namespace {

Item RecordItem(const Run& run, const sysops::InstallerRecord& record)
{
    return Item::InstallerRecord(record.keyPath, record.valueName, record.view64,
                                 sysops::ViewBits(run.is64BitWindows, record.view64));
}

// Every user's Windows Installer records of package A, found before any goes.
void RemoveInstallerUserData(Run& run)
{
    for (const sysops::InstallerRecord& record : sysops::FindInstallerUserData(kPackageAPacked))
        Act(run, RecordItem(run, record), [&record] { return sysops::RemoveInstallerRecord(record); });
}

// The entries name folders by their full path: an install directory the
// guard refused (such as "C:\") would match every one of them.
void CleanFolderEntries(Run& run, const std::vector<std::string>& menuProductDirs)
{
    if (run.paths.installDir.empty() || menuProductDirs.empty())
        return;
    if (run.installTree) {
        for (const sysops::InstallerRecord& record :
             sysops::FindInstallerFolders(kInstallerFoldersKey, run.InstallerView(), run.installTree->Path(),
                                          menuProductDirs, kPackageBCode))
            Act(run, RecordItem(run, record), [&record] { return sysops::RemoveInstallerRecord(record); });
    }
    run.Step();
}

}  // namespace

void RemoveRegistryEntries(Run& run, const std::vector<std::string>& menuProductDirs)
{
    const RowContext context = run.Context();
    run.BeginStage("registry");
    RemoveRegistryRows(run, VendorKeys, context);
    RemoveRegistryRows(run, CardProviderKeys, context);
    RemoveRegistryRows(run, CardProviderKeys64, context);
    RemoveRegistryRows(run, AppRegistrationKeys, context);
    run.Step();
    RemoveRegistryRows(run, SetupPackageKeys, context);
    run.Step();
    RemoveRegistryRows(run, UpgradeCodeKeys, context);
    run.BeginStage("installer scans");
    RemoveInstallerUserData(run);
    run.Step();
    run.BeginStage("registry");
    RemoveRegistryRows(run, InstallerPackageKeys, context);
    run.Step();
    run.BeginStage("installer scans");
    CleanFolderEntries(run, menuProductDirs);
}

void RemoveSharedReferences(Run& run)
{
    run.DebugBox("Delete 32-bit shared dll's", "Delete");
    DeleteSharedRefs(run, SharedRefList32);
    DeleteSharedRefs(run, InstallRefList);
    run.Step();
    const bool applied64 = DeleteSharedRefs(run, SharedRefList64);
    DeleteSharedRefs(run, InstallRefList64);
    if (applied64)
        run.Step();
    RemoveRegistryRows(run, MiddlewareKeys, run.Context());
    run.Step();
    DeleteSharedRefs(run, MiddlewareRefList);
}

}  // namespace uninstall
