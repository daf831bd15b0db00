#include "uninstall/Steps.h"

#include "sysops/InstallerCleanup.h"
#include "sysops/Registry.h"
#include "uninstall/Act.h"
#include "uninstall/FileCatalogue.h"
#include "uninstall/RegistryCatalogue.h"
#include "uninstall/Texts.h"

namespace uninstall {
namespace {

Item RecordItem(const sysops::InstallerRecord& record)
{
    return Item::InstallerRecord(record.keyPath, record.valueName, record.view);
}

// Every user's Windows Installer records of package A, found before any goes.
void RemoveInstallerUserData(Run& run)
{
    for (const sysops::InstallerRecord& record : sysops::FindInstallerUserData(Installer.packageAPacked, run.Views()))
        Act(run, RecordItem(record), [&record] { return sysops::RemoveInstallerRecord(record); });
    run.Step(Installer.userDataSteps);
}

// The entries name folders by their full path: an install directory the
// guard refused (such as "C:\") would match every one of them.
void CleanFolderEntries(Run& run, const std::vector<std::string>& menuProductDirs)
{
    if (run.paths.installDir.empty() || menuProductDirs.empty())
        return;
    if (run.installTree) {
        for (const sysops::InstallerRecord& record :
             sysops::FindInstallerFolders(Installer.foldersKey, run.InstallerView(), run.installTree->Path(),
                                          menuProductDirs, Installer.packageBCode))
            Act(run, RecordItem(record), [&record] { return sysops::RemoveInstallerRecord(record); });
    }
    run.Step(Installer.folderSteps);
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
    RemoveRegistryRows(run, SetupPackageKeys, context);
    RemoveRegistryRows(run, UpgradeCodeKeys, context);
    run.BeginStage("installer scans");
    RemoveInstallerUserData(run);
    run.BeginStage("registry");
    RemoveRegistryRows(run, InstallerPackageKeys, context);
    run.BeginStage("installer scans");
    CleanFolderEntries(run, menuProductDirs);
}

void RemoveSharedReferences(Run& run)
{
    run.DebugBox(texts::kDeleteText, texts::kDeleteCaption);
    DeleteSharedRefs(run, SharedRefList32);
    DeleteSharedRefs(run, InstallRefList);
    DeleteSharedRefs(run, SharedRefList64);
    DeleteSharedRefs(run, InstallRefList64);
    RemoveRegistryRows(run, MiddlewareKeys, run.Context());
    DeleteSharedRefs(run, MiddlewareRefList);
}

}  // namespace uninstall
