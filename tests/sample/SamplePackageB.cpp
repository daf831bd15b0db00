#include "sample/SamplePackageB.h"

#include "machine/Files.h"
#include "machine/Msiexec.h"
#include "machine/Paths.h"
#include "machine/Registry.h"

namespace sample {

namespace {

using machine::DeleteTree;
using machine::KeyExists;
using machine::Msiexec;
using machine::SubkeyNames;

#define INSTALLER "Software\\Microsoft\\Windows\\CurrentVersion\\Installer"
constexpr char kPacked[] = "1E49C7D26B0A83F4E851C6B4F9A0D237";
constexpr char kSystemComponents[] = INSTALLER "\\UserData\\S-1-5-18\\Components";
constexpr char kProductRecord[] = INSTALLER "\\UserData\\S-1-5-18\\Products\\1E49C7D26B0A83F4E851C6B4F9A0D237";
constexpr char kAdvertised[] = "Software\\Classes\\Installer\\Products\\1E49C7D26B0A83F4E851C6B4F9A0D237";
// msiexec's own upgrade-code record, beside the classes' one the uninstaller names.
constexpr char kUpgradeRecord[] = INSTALLER "\\UpgradeCodes\\4A1E3C85D7B219F4680A4D7B9EC3F521";
#undef INSTALLER

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
        if (!machine::ValueExists(key, kPacked, view))
            continue;
        machine::DeleteValue(key, kPacked, view);
        if (!machine::TreeHoldsValues(key, view) && SubkeyNames(key, view).empty())
            DeleteTree(key, view);
    }
}

}  // namespace

std::string PackageBDatabase()
{
    const std::string path = machine::TestBinDir() + "\\packageB.msi";
    return machine::Exists(path) ? path : std::string();
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
    if (result != 0 || !machine::ReadString(kPackageBProperties, "LocalPackage", view, localPackage)) {
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
        machine::DeleteForced(localPackage);
}

}  // namespace sample
