// The registry keys and values the product leaves under HKEY_LOCAL_MACHINE,
// as fixed lists (uninstall/Catalogue.cpp holds the data). Each list is
// walked in row order; a row that names nothing on this machine is passed
// over.
#pragma once

#include "uninstall/Catalogue.h"

#include <cstddef>

namespace uninstall {

// How a value row treats the value. Values that other products share lose
// only the product's part.
enum class ValueRule {
    Whole,        // the value goes
    DropEntry,    // a list of names: only `match` goes; the value goes once it is empty
    IfNamesFile,  // the value goes only when it names the file `match` (bare or with a path)
};

// A key (value == nullptr: the key and everything below it) or one value.
// view64: 1 the 64-bit view, 0 the 32-bit view (the same registry on 32-bit Windows).
struct RegistryRow {
    const char* key;
    const char* value;
    int view64;
    When when = When::Always;
    ValueRule rule = ValueRule::Whole;
    const char* match = nullptr;
};

struct RegistryList {
    const RegistryRow* rows;
    std::size_t count;
    const RegistryRow* begin() const { return rows; }
    const RegistryRow* end() const { return rows + count; }
};

template <std::size_t N>
constexpr RegistryList MakeRegistryList(const RegistryRow (&rows)[N])
{
    return RegistryList{rows, N};
}

extern const RegistryList DriverKeys;
extern const RegistryList VendorKeys;
extern const RegistryList CardProviderKeys;
extern const RegistryList CardProviderKeys64;
extern const RegistryList AppRegistrationKeys;
extern const RegistryList SetupPackageKeys;
extern const RegistryList UpgradeCodeKeys;
extern const RegistryList InstallerPackageKeys;
extern const RegistryList MiddlewareKeys;

// Where Windows Installer lists the folders it created.
extern const char kInstallerFoldersKey[];
// Package A's product code packed as Windows Installer keeps it in its
// per-user records, and package B's as its folder entries name it.
extern const char kPackageAPacked[];
extern const char kPackageBCode[];

class Run;

// Removes every row of `list` whose condition holds; a row of the product's
// whose condition does not hold is recorded as kept.
void RemoveRegistryRows(Run& run, const RegistryList& list, const RowContext& context);

}  // namespace uninstall
