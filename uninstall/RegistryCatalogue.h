// The registry keys and values the product leaves under HKEY_LOCAL_MACHINE,
// as fixed lists. Each list is walked in row order; a row that names nothing
// on this machine is passed over.
#pragma once

#include <cstddef>

namespace uninstall {

// When a row applies.
enum class When {
    Always,
    DriverFileFound,   // the filter driver's file was found in this run
    VendorRootEmpty,   // "Software\\TQM" opens and holds nothing (asked when the row is reached)
    On64BitWindows,
};

// How a value row treats the value. Values that other products share lose
// only the product's part.
enum class ValueRule {
    Whole,           // the value goes
    DropEntry,       // a list of names: only `match` goes; the value goes once it is empty
    IfNamesFile,     // the value goes only when it names the file `match` (bare or with a path)
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


// {key, value (nullptr: the whole key), view, when, value rule, match}
constexpr RegistryRow kDriverKeys[] = {
    {"System\\CurrentControlSet\\Services\\TqScFilter",                                   nullptr,        1, When::DriverFileFound},
    {"System\\CurrentControlSet\\Services\\EventLog\\System\\TqScFilter",                 nullptr,        1, When::DriverFileFound},
    {"System\\CurrentControlSet\\Control\\Class\\{50DD5230-BA8A-11D1-BF5D-0000F805F530}", "UpperFilters", 0, When::Always,
     ValueRule::DropEntry, "TqScFilter"},
};
constexpr RegistryList DriverKeys = MakeRegistryList(kDriverKeys);

constexpr RegistryRow kVendorKeys[] = {
    {"Software\\TQM\\Morvane",      nullptr,        0},
    {"Software\\TQM\\CardBridge",   nullptr,        0},
    {"Software\\TQM\\Cryptoki CSP", nullptr,        0},
    {"Software\\TQM\\TQsealBox",    nullptr,        0},
    {"Software\\TQM\\TqSPEGina",    nullptr,        0},
    {"Software\\TQM",               nullptr,        0, When::VendorRootEmpty},
};
constexpr RegistryList VendorKeys = MakeRegistryList(kVendorKeys);

// The reader keys are removed in the 64-bit view only; "SCannel" and
// "SChannel" are two different provider keys.
constexpr RegistryRow kCardProviderKeys[] = {
    {"Software\\Microsoft\\Cryptography\\Calais\\Readers\\Quenmark Tokette 0",                                nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Calais\\Readers\\Quenmark Tokette 1",                                nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Calais\\Readers\\Quenmark Ltd Lockpad 0",                            nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Sealcard",                                       nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\SealcardEx",                                     nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Sealcard Siemens v4.01",                         nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Sealcard Siemens",                               nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\TQ Base Cryptographic Provider",                 nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\TQ RSA SCannel Cryptographic Provider",          nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\TQ RSA SChannel Cryptographic Provider",         nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\TQV Inkseal Digital Signature Provider",         nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\TQ Enhanced RSA and AES Cryptographic Provider", nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\OID\\EncodingType 0\\CertDllOpenStoreProv\\tqPhysicalOpen",          nullptr,        0},
    {"Software\\Microsoft\\Terminal Server Client\\Default\\AddIns\\tqbiots",                                 nullptr,        0},
};
constexpr RegistryList CardProviderKeys = MakeRegistryList(kCardProviderKeys);

// On 64-bit Windows only: the same again in the 64-bit view, without the
// readers and without the "SCannel" provider.
constexpr RegistryRow kCardProviderKeys64[] = {
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Sealcard",                                       nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\SealcardEx",                                     nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Sealcard Siemens v4.01",                         nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Sealcard Siemens",                               nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\TQ Base Cryptographic Provider",                 nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\TQ RSA SChannel Cryptographic Provider",         nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\TQV Inkseal Digital Signature Provider",         nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\TQ Enhanced RSA and AES Cryptographic Provider", nullptr,        1},
    {"Software\\Microsoft\\Cryptography\\OID\\EncodingType 0\\CertDllOpenStoreProv\\tqPhysicalOpen",          nullptr,        1},
    {"Software\\Microsoft\\Terminal Server Client\\Default\\AddIns\\tqbiots",                                 nullptr,        1},
};
constexpr RegistryList CardProviderKeys64 = MakeRegistryList(kCardProviderKeys64);

// Packages: A {6B1F3A27-...}, B {2D7C94E1-...} (the only 64-bit-view row
// here), C {9A4E0C5B-...}. "installShield" is spelt with a lower-case i.
constexpr RegistryRow kAppRegistrationKeys[] = {
    {"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\stax.exe",                               nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tq.exe",                                 nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\TQM",                                    nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Morvane",                                nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{9A4E0C5B-71D2-4B6F-B3A8-5E27C1D96F08}", nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}", nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}", nullptr,        1},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\installShield Uninstall Information\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}",
                                                                                        nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Run",                                               "AATQCLTSRV",   0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Run",                                               "ZZZTQDAEMON",  0},
    {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\TqMorvane",                    nullptr,        0},
    {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",                                       "GinaDLL",      0, When::Always,
     ValueRule::IfNamesFile, "tqspegina.dll"},
};
constexpr RegistryList AppRegistrationKeys = MakeRegistryList(kAppRegistrationKeys);

// Package A: Features before Products.
constexpr RegistryRow kSetupPackageKeys[] = {
    {"Software\\Classes\\Installer\\Features\\72A3F1B659C4D0E4A9263D8E07C5B149",                                       nullptr,        0},
    {"Software\\Classes\\Installer\\Products\\72A3F1B659C4D0E4A9263D8E07C5B149",                                       nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}", nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Morvane",                                nullptr,        0},
};
constexpr RegistryList SetupPackageKeys = MakeRegistryList(kSetupPackageKeys);

// Windows Installer keeps this key in the 64-bit view on 64-bit Windows.
constexpr RegistryRow kUpgradeCodeKeys[] = {
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes\\D9402B7EC1A658D4F9E3B0A5C8274D16", nullptr,        0},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes\\D9402B7EC1A658D4F9E3B0A5C8274D16", nullptr,        1, When::On64BitWindows},
};
constexpr RegistryList UpgradeCodeKeys = MakeRegistryList(kUpgradeCodeKeys);

// Package B: Products before Features, all in the 64-bit view.
constexpr RegistryRow kInstallerPackageKeys[] = {
    {"Software\\Classes\\Installer\\Products\\1E49C7D26B0A83F4E851C6B4F9A0D237",     nullptr,        1},
    {"Software\\Classes\\Installer\\Features\\1E49C7D26B0A83F4E851C6B4F9A0D237",     nullptr,        1},
    {"Software\\Classes\\Installer\\UpgradeCodes\\4A1E3C85D7B219F4680A4D7B9EC3F521", nullptr,        1},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\1E49C7D26B0A83F4E851C6B4F9A0D237",
                                                                                        nullptr,        1},
};
constexpr RegistryList InstallerPackageKeys = MakeRegistryList(kInstallerPackageKeys);

// The CardOS card middleware and its certificate monitor. The third card
// name has two blanks before the parenthesis, the fifth one.
constexpr RegistryRow kMiddlewareKeys[] = {
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Siemens Informatica - CardOS M4.0",                nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Siemens Informatica - CardOS M4.01",               nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Siemens Informatica - CardOS M4.01  (Infocamere)", nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Siemens Informatica - CardOS M4.01a",              nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Calais\\SmartCards\\Siemens Informatica - CardOS M4.01a (Infocamere)", nullptr,        0},
    {"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\CardOS_CSP",                                       nullptr,        0},
    {"Software\\Siemens",                                                                                       nullptr,        0},
    {"Software\\Siemens Informatica",                                                                           nullptr,        0},
    {"Software\\Classes\\AppID\\scmon.exe",                                                                     nullptr,        0},
    {"Software\\Classes\\AppID\\{5E297AC9-6533-49CE-85B8-45EE61443D72}",                                        nullptr,        0},
    {"Software\\Classes\\CLSID\\{78FC31C2-6A4F-439C-A143-C6D8F89469E7}",                                        nullptr,        0},
    {"Software\\Classes\\Scmon.CertMonitor",                                                                    nullptr,        0},
    {"Software\\Classes\\Scmon.CertMonitor.1",                                                                  nullptr,        0},
    {"Software\\Classes\\TypeLib\\{1FCA3602-75B1-4E1D-9DB9-4C8FB4730EF5}",                                      nullptr,        0},
};
constexpr RegistryList MiddlewareKeys = MakeRegistryList(kMiddlewareKeys);


// What a list walk needs to know about this run.
struct RowContext {
    bool driverFileFound = false;
    bool is64BitWindows = false;
};

// Removes every row of `list` whose condition holds.
void RemoveRegistryRows(const RegistryList& list, const RowContext& context);

}  // namespace uninstall
