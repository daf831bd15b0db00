#include "uninstall/Steps.h"

#include "sysops/InstallerCleanup.h"
#include "uninstall/FileCatalogue.h"
#include "uninstall/RegistryCatalogue.h"

namespace uninstall {
namespace {

// The entries name folders by their full path: an install directory the
// guard refused (such as "C:\") would match every one of them.
void CleanFolderEntries(Run& run, const std::string& menuProductDir)
{
    if (run.paths.installDir.empty() || menuProductDir.empty())
        return;
    if (run.installTreeAccepted)
        sysops::CleanInstallerFolders(kInstallerFoldersKey, run.InstallerView(), run.paths.installDir.c_str(),
                                      menuProductDir.c_str(), kPackageBCode);
    run.Step();
}

}  // namespace

void RemoveRegistryEntries(Run& run, const std::string& menuProductDir)
{
    const RowContext context = run.Context();
    RemoveRegistryRows(VendorKeys, context);
    RemoveRegistryRows(CardProviderKeys, context);
    RemoveRegistryRows(CardProviderKeys64, context);
    RemoveRegistryRows(AppRegistrationKeys, context);
    run.Step();
    RemoveRegistryRows(SetupPackageKeys, context);
    run.Step();
    RemoveRegistryRows(UpgradeCodeKeys, context);
    sysops::CleanInstallerUserData(kPackageAPacked);
    run.Step();
    RemoveRegistryRows(InstallerPackageKeys, context);
    run.Step();
    CleanFolderEntries(run, menuProductDir);
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
    RemoveRegistryRows(MiddlewareKeys, run.Context());
    run.Step();
    DeleteSharedRefs(run, MiddlewareRefList);
}

}  // namespace uninstall
