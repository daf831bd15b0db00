#include "bench/Bench.h"

#include "machine/Msiexec.h"
#include "machine/Registry.h"
#include "machine/Views.h"
#include "sysops/Handles.h"
#include "sysops/InstallerCleanup.h"
#include "sysops/Registry.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace bench {
namespace {

// A user of the benchmark's own, so that its load is told apart from real records.
constexpr char kBenchUser[] = "S-1-5-21-1000000001-2000000002-300000003-4242";
using machine::kOtherProductPacked;
using machine::kPackageAPacked;

constexpr unsigned kComponents = 30000;
constexpr unsigned kWithProduct = 50;

std::string UserKey() { return machine::InstallerUserKey(kBenchUser); }
std::string ComponentsKey() { return UserKey() + "\\Components"; }

std::string ComponentName(unsigned number)
{
    char text[40];
    std::snprintf(text, sizeof text, "BE7C0000000000000000000000%06X", number);
    return text;
}

// Spread evenly over the components.
bool HoldsProduct(unsigned number) { return number % (kComponents / kWithProduct) == 17; }

// Every component holds another product's value, as on a machine with
// other software installed; package A's value is planted separately, since
// each cleanup takes it away again.
bool BuildComponents(REGSAM view)
{
    const sysops::UniqueRegKey components = machine::MakeKey(ComponentsKey(), view);
    for (unsigned n = 0; components && n < kComponents; ++n) {
        const sysops::UniqueRegKey component = machine::MakeKey(ComponentName(n), view, components.Get());
        if (!component || !machine::SetString(component.Get(), kOtherProductPacked, "C:\\Program Files\\Other\\lib.dll"))
            return false;
    }
    return components.IsValid();
}

bool PlantProductValues(REGSAM view)
{
    bool planted = true;
    for (unsigned n = 0; n < kComponents; ++n) {
        if (HoldsProduct(n))
            planted = machine::SetString(ComponentsKey() + "\\" + ComponentName(n), kPackageAPacked,
                                         "C:\\Program Files\\TQM\\Morvane\\lib.dll", view) &&
                      planted;
    }
    return planted;
}

void RemoveLoad() { sysops::DeleteRegistryItem(UserKey().c_str(), nullptr, machine::RunView(1)); }

// The floor: what any scan of these records must do at least. Returns the
// number of values seen.
unsigned EnumerateComponents(REGSAM view)
{
    sysops::UniqueRegKey components;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ComponentsKey().c_str(), 0, KEY_READ | view, components.Put()) !=
        ERROR_SUCCESS)
        return 0;
    unsigned values = 0;
    char name[512];
    DWORD length = sizeof name;
    for (DWORD i = 0; RegEnumKeyExA(components.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) ==
                      ERROR_SUCCESS;
         ++i, length = sizeof name) {
        sysops::UniqueRegKey component;
        if (RegOpenKeyExA(components.Get(), name, 0, KEY_READ | view, component.Put()) != ERROR_SUCCESS)
            continue;
        char valueName[512];
        DWORD valueLength = sizeof valueName;
        for (DWORD j = 0; RegEnumValueA(component.Get(), j, valueName, &valueLength, nullptr, nullptr, nullptr,
                                        nullptr) == ERROR_SUCCESS;
             ++j, valueLength = sizeof valueName)
            ++values;
    }
    return values;
}

unsigned CountProductValues(REGSAM view)
{
    unsigned found = 0;
    for (unsigned n = 0; n < kComponents; ++n)
        found += machine::ValueExists(ComponentsKey() + "\\" + ComponentName(n), kPackageAPacked, view);
    return found;
}

}  // namespace

void RunInstallerBenchmark()
{
    // Where Windows Installer keeps its records on this machine.
    const REGSAM view = machine::NativeView();
    RemoveLoad();  // a leftover of an interrupted run
    const double buildStart = Now();
    if (!BuildComponents(view)) {
        std::puts("installer: could not build the load");
        RemoveLoad();
        return;
    }
    std::printf("installer: %u component keys built in %.1f s (%s view)\n", kComponents, Now() - buildStart,
                view == KEY_WOW64_64KEY ? "64-bit" : "the only");

    unsigned left = 0;
    unsigned seen = 0;
    const Contest contest = RunRounds(
        kMinRounds, [&] { return PlantProductValues(view); },
        {[&] { return sysops::CleanInstallerUserData(kPackageAPacked, machine::RunViews()).Done(); },
         [&] { return (seen = EnumerateComponents(view)) != 0; }});
    // The enumeration changes nothing: what is left is what our last round left.
    left = CountProductValues(view);
    std::printf("installer: %u values enumerated; package A's value left in %u of %u components\n", seen, left,
                kWithProduct);
    if (contest.complete && left == 0)
        Report("CleanInstallerUserData, 30,000 components", contest.sides[0],
               Baseline{"bare enumeration", contest.sides[1], 1.2});
    else
        std::puts("installer: the product's values were not all removed");
    RemoveLoad();
}

}  // namespace bench
