#include "sample/SamplePackageB.h"

#include "sample/SampleFiles.h"
#include "sample/SamplePrograms.h"
#include "sample/SampleRegistry.h"

namespace sample {

namespace {

// Installs take several seconds under Wine; a hung msiexec must not hang the tests.
constexpr DWORD kMsiexecTimeoutMs = 180000;

#define INSTALLER "Software\\Microsoft\\Windows\\CurrentVersion\\Installer"
constexpr char kPacked[] = "1E49C7D26B0A83F4E851C6B4F9A0D237";
constexpr char kSystemComponents[] = INSTALLER "\\UserData\\S-1-5-18\\Components";
constexpr char kProductRecord[] = INSTALLER "\\UserData\\S-1-5-18\\Products\\1E49C7D26B0A83F4E851C6B4F9A0D237";
constexpr char kAdvertised[] = "Software\\Classes\\Installer\\Products\\1E49C7D26B0A83F4E851C6B4F9A0D237";
// msiexec's own upgrade-code record, beside the classes' one the uninstaller names.
constexpr char kUpgradeRecord[] = INSTALLER "\\UpgradeCodes\\4A1E3C85D7B219F4680A4D7B9EC3F521";
#undef INSTALLER

int Msiexec(const std::string& arguments)
{
    return RunAndWait("msiexec.exe " + arguments + " /qn", kMsiexecTimeoutMs);
}

bool IsRegistered(REGSAM view)
{
    return KeyExists(kPackageBProperties, view) && KeyExists(kAdvertised, view);
}

// Package B's value in each of the local system's component keys, and the
// key itself once nothing else is in it.
void RemoveComponentRecords(REGSAM view)
{
    for (const std::string& name : SubkeyNames(kSystemComponents, view)) {
        const std::string key = std::string(kSystemComponents) + "\\" + name;
        if (!ValueExists(key, kPacked, view))
            continue;
        DeleteValue(key, kPacked, view);
        if (!TreeHoldsValues(key, view) && SubkeyNames(key, view).empty())
            DeleteTree(key, view);
    }
}

}  // namespace

std::string PackageBDatabase()
{
    const std::string path = HelperDir() + "\\packageB.msi";
    return Exists(path) ? path : std::string();
}

bool InstallPackageB(const Locations& where, const Variant& variant, std::string& localPackage, std::string& note)
{
    localPackage.clear();
    const std::string database = PackageBDatabase();
    if (database.empty()) {
        note = "packageB.msi was not built";
        return false;
    }
    const REGSAM view = ViewFlag(View::V1, variant.win64);
    if (IsRegistered(view))
        Msiexec(std::string("/x ") + kPackageBCode);
    const std::string target = Join(where.install, kPackageBFolder);
    const int result = Msiexec("/i \"" + database + "\" INSTALLDIR=\"" + target + "\"");
    if (result != 0 || !ReadString(kPackageBProperties, "LocalPackage", view, localPackage)) {
        note = "msiexec /i packageB.msi ended with " + std::to_string(result);
        RemovePackageB(variant, localPackage);
        localPackage.clear();
        return false;
    }
    return true;
}

void RemovePackageB(const Variant& variant, const std::string& localPackage)
{
    const REGSAM view = ViewFlag(View::V1, variant.win64);
    if (IsRegistered(view))
        Msiexec(std::string("/x ") + kPackageBCode);
    RemoveComponentRecords(view);
    DeleteTree(kProductRecord, view);
    DeleteTree(kUpgradeRecord, view);
    if (!localPackage.empty())
        DeleteForced(localPackage);
}

}  // namespace sample
