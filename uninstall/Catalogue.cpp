// Everything the product leaves on a machine, as the lists the run walks.
#include "uninstall/Catalogue.h"

#include "sysops/Probes.h"

namespace uninstall {

// Literal joins below need the prefixes as macros; they end with this file.
// The product's installer packages: A (setup-driven), B (an installer
// database), C (an older setup-driven one), by product code and packed code.
#define PACKAGE_A "{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}"
#define PACKAGE_A_PACKED "72A3F1B659C4D0E4A9263D8E07C5B149"
#define PACKAGE_B_CODE "2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73"
#define PACKAGE_B "{" PACKAGE_B_CODE "}"
#define PACKAGE_B_PACKED "1E49C7D26B0A83F4E851C6B4F9A0D237"
#define PACKAGE_C "{9A4E0C5B-71D2-4B6F-B3A8-5E27C1D96F08}"
#define CV "Software\\Microsoft\\Windows\\CurrentVersion"
#define INSTALLER CV "\\Installer"
#define CRYPTOGRAPHY "Software\\Microsoft\\Cryptography"
#define READERS CRYPTOGRAPHY "\\Calais\\Readers\\"
#define SMART_CARDS CRYPTOGRAPHY "\\Calais\\SmartCards\\"
#define PROVIDERS CRYPTOGRAPHY "\\Defaults\\Provider\\"
#define STORE_PROVIDER CRYPTOGRAPHY "\\OID\\EncodingType 0\\CertDllOpenStoreProv\\tqPhysicalOpen"
#define TS_ADDIN "Software\\Microsoft\\Terminal Server Client\\Default\\AddIns\\tqbiots"
#define WINLOGON "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"
#define CLASSES "Software\\Classes\\"
#define SERVICES "System\\CurrentControlSet\\Services\\"
#define INSTALLSHIELD_CACHE "InstallShield Installation Information\\"

namespace {

constexpr When W64 = When::On64BitWindows;

// ---- Programs ----

// Before Windows 2000 the product ran as two programs; later as a service.
// program                 when                    steps
constexpr ProcessRow kProductProcesses[] = {
    {"tqcltsrv.exe",       When::BeforeServices,   0},
    {"tqdaemon.exe",       When::BeforeServices,   1},
};

// The card middleware's monitor and certificate manager.
constexpr ProcessRow kMiddlewareProcesses[] = {
    {"scmon.exe",          When::Always,           1},
    {"certmng.exe",        When::Always,           1},
};

// probe                   program             arguments              steps
constexpr OutsideProgramRow kOutsidePrograms[] = {
    {"APICore.dll",        "regsvr32.exe",     "-s -u APICore.dll",   1},
    {"scmon.exe",          "scmon.exe",        "-unregserver",        1},
};

// ---- Where the product lives ----

constexpr const char* kInstallDirCandidates[] = {
    "TQM\\Morvane",
    "TQV\\Morvane",
    "TQV\\TQV Morvane",
};

// ending                        cut
constexpr VendorFolderRule kVendorFolderRules[] = {
    {"\\TQM\\Morvane",             "\\Morvane"},
    {"\\TQV\\Morvane",             "\\Morvane"},
    {"\\TQV\\TQV Morvane",         "\\TQV Morvane"},
};

// ---- Caches ----

// base                          folder                                    marker        steps
constexpr CacheRow kInstallerCaches[] = {
    {CacheBase::ProgramFiles,     INSTALLSHIELD_CACHE PACKAGE_C,            "setup.ilg",  1},
    {CacheBase::ProgramFiles,     INSTALLSHIELD_CACHE PACKAGE_A,            "setup.ilg",  1},
    {CacheBase::WindowsInstaller, PACKAGE_A,                                nullptr,      1},
    {CacheBase::WindowsInstaller, PACKAGE_B,                                nullptr,      0},
};

// "Startup", then "הפעלה" (Startup on Hebrew Windows), code page 1255.
constexpr const char* kStartupFolders[] = {"Startup", "\xE4\xF4\xF2\xEC\xE4"};

// ---- Files ----

// "tqmvsso.dll" and "TqMvSso.dll" name one file; the second attempt finds nothing.
constexpr const char* kSystemFiles32[] = {
    "certmng.exe",
    "tq_jpk11.dll",
    "mvpkcs12.dll",
    "mvx50932.dll",
    "zypkcs11.dll",
    "oid_tab.dll",
    "cbridge.dll",
    "tqcsp.dll",
    "tqksp.dll",
    "tqstore.dll",
    "tqcltsrv.dll",
    "tqdaemon.dll",
    "tqgui.dll",
    "tqassist.dll",
    "tqmvsso.dll",
    "mv_pk107.dll",
    "tqspe.dll",
    "TqBioMoc.dll",
    "TqMvSso.dll",
    "tqspegina.dll",
    "tqbiocli.dll",
};

// "tqksp.dll" is the same name as in the 32-bit set: no file named "tqksp64.dll" is deleted.
constexpr const char* kSystemFiles64[] = {
    "mvpkcs12w64.dll",
    "mvx50932w64.dll",
    "zypkcs11w64.dll",
    "oid_tab64.dll",
    "cbridge64.dll",
    "tqcsp64.dll",
    "tqksp.dll",
    "tqstore64.dll",
    "tqgui64.dll",
    "tqassist64.dll",
    "tqspe64.dll",
    "tqbiocli64.dll",
};

// The card middleware's files; their reference values carry the same names.
constexpr const char* kMiddlewareFiles[] = {
    "apiasn1.dll",
    "apicore.dll",
    "apicrypto.dll",
    "apisccom.dll",
    "cardos_csp.dll",
    "cardos_pkcs11.dll",
    "csp_module.dll",
    "errmngr.dll",
    "scmon.exe",
    "sicertificateviewer.dll",
    "sicertviewer.dll",
};

// ---- Shared-library references, relative to their list's base ----

constexpr const char* kSharedRefs32[] = {
    "tq_jpk11.dll",
    "TqBioMoc.dll",
    "TqMvSso.dll",
    "tqcsp.dll",
    "tqksp.dll",
    "tqassist.dll",
    "tqgui.dll",
    "tqstore.dll",
    "mv_pk107.dll",
    "mvpkcs12.dll",
    "mvx50932.dll",
    "zypkcs11.dll",
    "oid_tab.dll",
    "cbridge.dll",
    "tqspe.dll",
    "tqspegina.dll",
    "drivers\\TqScFilter.sys",
};

constexpr const char* kInstallRefs[] = {
    "lib\\mvx50932.lib",
    "utils\\tqcltsrv.exe",
    "Anonymous.vtk",
    "doc\\Terms.rtf",
    "doc\\NOTES.TXT",
    "Installation\\Seal5\\idsl5in.dll",
    "Installation\\DlxLoad.exe",
    "Installation\\LpInsth2kXp.exe",
    "Installation\\LpPadUp.sys",
    "vtk_tok\\Token1.vtk",
    "utils\\tqassist.exe",
    "utils\\htm\\tqassist.htm",
    "utils\\pnl.exe",
    "utils\\PinKeeper.exe",
    "utils\\p12tool.exe",
};

// "tq_jpk11.dll" is also in the 32-bit list, so its reference goes in both views.
constexpr const char* kSharedRefs64[] = {
    "tq_jpk11.dll",
    "tqcsp64.dll",
    "tqksp64.dll",
    "tqassist64.dll",
    "tqgui64.dll",
    "tqstore64.dll",
    "mvpkcs12w64.dll",
    "mvx50932w64.dll",
    "zypkcs11w64.dll",
    "oid_tab64.dll",
    "cbridge64.dll",
};

constexpr const char* kInstallRefs64[] = {
    "utils\\tqassist64.exe",
    "utils\\pnl64.exe",
    "utils\\p12tool64.exe",
};

// ---- Registry rows ----

using R = ValueRule;

// key                                                          value           view  when                   rule           match
constexpr RegistryRow kDriverKeys[] = {
    {SERVICES "TqScFilter",                                      nullptr,        1,    When::DriverFileFound},
    {SERVICES "EventLog\\System\\TqScFilter",                    nullptr,        1,    When::DriverFileFound},
    // The device setup class of smart-card readers: only the product's filter goes.
    {"System\\CurrentControlSet\\Control\\Class\\{50DD5230-BA8A-11D1-BF5D-0000F805F530}",
                                                                 "UpperFilters", 0,    When::Always,          R::DropEntry,  "TqScFilter"},
};

// key                                                          value           view  when
constexpr RegistryRow kVendorKeys[] = {
    {"Software\\TQM\\Morvane",                                   nullptr,        0},
    {"Software\\TQM\\CardBridge",                                nullptr,        0},
    {"Software\\TQM\\Cryptoki CSP",                              nullptr,        0},
    {"Software\\TQM\\TQsealBox",                                 nullptr,        0},
    {"Software\\TQM\\TqSPEGina",                                 nullptr,        0},
    {"Software\\TQM",                                            nullptr,        0,    When::VendorRootEmpty},
};

// The reader keys are removed in the 64-bit view only; "SCannel" and
// "SChannel" are two different provider keys.
// key                                                          value           view
constexpr RegistryRow kCardProviderKeys[] = {
    {READERS "Quenmark Tokette 0",                               nullptr,        1},
    {READERS "Quenmark Tokette 1",                               nullptr,        1},
    {READERS "Quenmark Ltd Lockpad 0",                           nullptr,        1},
    {SMART_CARDS "Sealcard",                                     nullptr,        0},
    {SMART_CARDS "SealcardEx",                                   nullptr,        0},
    {SMART_CARDS "Sealcard Siemens v4.01",                       nullptr,        0},
    {SMART_CARDS "Sealcard Siemens",                             nullptr,        0},
    {PROVIDERS "TQ Base Cryptographic Provider",                 nullptr,        0},
    {PROVIDERS "TQ RSA SCannel Cryptographic Provider",          nullptr,        0},
    {PROVIDERS "TQ RSA SChannel Cryptographic Provider",         nullptr,        0},
    {PROVIDERS "TQV Inkseal Digital Signature Provider",         nullptr,        0},
    {PROVIDERS "TQ Enhanced RSA and AES Cryptographic Provider", nullptr,        0},
    {STORE_PROVIDER,                                             nullptr,        0},
    {TS_ADDIN,                                                   nullptr,        0},
};

// The same again in the 64-bit view, without the readers and without the
// "SCannel" provider.
// key                                                          value           view  when
constexpr RegistryRow kCardProviderKeys64[] = {
    {SMART_CARDS "Sealcard",                                     nullptr,        1,    W64},
    {SMART_CARDS "SealcardEx",                                   nullptr,        1,    W64},
    {SMART_CARDS "Sealcard Siemens v4.01",                       nullptr,        1,    W64},
    {SMART_CARDS "Sealcard Siemens",                             nullptr,        1,    W64},
    {PROVIDERS "TQ Base Cryptographic Provider",                 nullptr,        1,    W64},
    {PROVIDERS "TQ RSA SChannel Cryptographic Provider",         nullptr,        1,    W64},
    {PROVIDERS "TQV Inkseal Digital Signature Provider",         nullptr,        1,    W64},
    {PROVIDERS "TQ Enhanced RSA and AES Cryptographic Provider", nullptr,        1,    W64},
    {STORE_PROVIDER,                                             nullptr,        1,    W64},
    {TS_ADDIN,                                                   nullptr,        1,    W64},
};

// Package B's entry is the only 64-bit-view row here. "installShield" is
// spelt with a lower-case i.
// key                                                          value           view  when                   rule           match
constexpr RegistryRow kAppRegistrationKeys[] = {
    {CV "\\App Paths\\stax.exe",                                 nullptr,        0},
    {CV "\\App Paths\\tq.exe",                                   nullptr,        0},
    {CV "\\App Paths\\TQM",                                      nullptr,        0},
    {CV "\\Uninstall\\Morvane",                                  nullptr,        0},
    {CV "\\Uninstall\\" PACKAGE_C,                               nullptr,        0},
    {CV "\\Uninstall\\" PACKAGE_A,                               nullptr,        0},
    {CV "\\Uninstall\\" PACKAGE_B,                               nullptr,        1},
    {CV "\\Uninstall\\installShield Uninstall Information\\" PACKAGE_A,
                                                                 nullptr,        0},
    {CV "\\Run",                                                 "AATQCLTSRV",   0},
    {CV "\\Run",                                                 "ZZZTQDAEMON",  0},
    {WINLOGON "\\Notify\\TqMorvane",                             nullptr,        0},
    {WINLOGON,                                                   "GinaDLL",      0,    When::Always,          R::IfNamesFile, "tqspegina.dll"},
};

// Package A: Features before Products.
// key                                                          value           view
constexpr RegistryRow kSetupPackageKeys[] = {
    {CLASSES "Installer\\Features\\" PACKAGE_A_PACKED,           nullptr,        0},
    {CLASSES "Installer\\Products\\" PACKAGE_A_PACKED,           nullptr,        0},
    {CV "\\App Management\\ARPCache\\" PACKAGE_A,                nullptr,        0},
    {CV "\\App Management\\ARPCache\\Morvane",                   nullptr,        0},
};

// Windows Installer keeps this key in the 64-bit view on 64-bit Windows.
// key                                                          value           view  when
constexpr RegistryRow kUpgradeCodeKeys[] = {
    {INSTALLER "\\UpgradeCodes\\D9402B7EC1A658D4F9E3B0A5C8274D16", nullptr,      0},
    {INSTALLER "\\UpgradeCodes\\D9402B7EC1A658D4F9E3B0A5C8274D16", nullptr,      1,    W64},
};

// Package B: Products before Features, all in the 64-bit view.
// key                                                          value           view
constexpr RegistryRow kInstallerPackageKeys[] = {
    {CLASSES "Installer\\Products\\" PACKAGE_B_PACKED,           nullptr,        1},
    {CLASSES "Installer\\Features\\" PACKAGE_B_PACKED,           nullptr,        1},
    {CLASSES "Installer\\UpgradeCodes\\4A1E3C85D7B219F4680A4D7B9EC3F521",
                                                                 nullptr,        1},
    {INSTALLER "\\UserData\\S-1-5-18\\Products\\" PACKAGE_B_PACKED,
                                                                 nullptr,        1},
};

// The CardOS card middleware and its certificate monitor. The third card
// name has two blanks before the parenthesis, the fifth one.
// key                                                          value           view
constexpr RegistryRow kMiddlewareKeys[] = {
    {SMART_CARDS "Siemens Informatica - CardOS M4.0",            nullptr,        0},
    {SMART_CARDS "Siemens Informatica - CardOS M4.01",           nullptr,        0},
    {SMART_CARDS "Siemens Informatica - CardOS M4.01  (Infocamere)", nullptr,    0},
    {SMART_CARDS "Siemens Informatica - CardOS M4.01a",          nullptr,        0},
    {SMART_CARDS "Siemens Informatica - CardOS M4.01a (Infocamere)", nullptr,    0},
    {PROVIDERS "CardOS_CSP",                                     nullptr,        0},
    {"Software\\Siemens",                                        nullptr,        0},
    {"Software\\Siemens Informatica",                            nullptr,        0},
    {CLASSES "AppID\\scmon.exe",                                 nullptr,        0},
    {CLASSES "AppID\\{5E297AC9-6533-49CE-85B8-45EE61443D72}",    nullptr,        0},
    {CLASSES "CLSID\\{78FC31C2-6A4F-439C-A143-C6D8F89469E7}",    nullptr,        0},
    {CLASSES "Scmon.CertMonitor",                                nullptr,        0},
    {CLASSES "Scmon.CertMonitor.1",                              nullptr,        0},
    {CLASSES "TypeLib\\{1FCA3602-75B1-4E1D-9DB9-4C8FB4730EF5}",  nullptr,        0},
};

}  // namespace

// ---- Programs ----

const Rows<ProcessRow> ProductProcesses = MakeRows(kProductProcesses);
const ServiceRow ProductService = {"TQcltsrv", When::WithServices, 1};
const Rows<ProcessRow> MiddlewareProcesses = MakeRows(kMiddlewareProcesses);
const Rows<OutsideProgramRow> OutsidePrograms = MakeRows(kOutsidePrograms);
// folder                  file            export on 98 and Me                  export elsewhere          steps
const IdentityComponentRow IdentityComponent = {
    "Installation\\Seal5", "idsl5in.dll",  "SealIdentityUninstallNeedReboot",   "SealIdentityUninstall",  1};

// ---- Where the product lives ----

const char kInstallDirKey[] = "Software\\TQM\\CardBridge\\Main";
const char kInstallDirValue[] = "MorvDir";
const NameList InstallDirCandidates = MakeList(kInstallDirCandidates);
const Rows<VendorFolderRule> VendorFolderRules = MakeRows(kVendorFolderRules);

// ---- Files ----

// names                             base                          view  when            steps
const FileList SystemFileSet32   = {MakeList(kSystemFiles32),   FileBase::SystemDir32,            When::Always,   1};
const FileList SystemFileSet64   = {MakeList(kSystemFiles64),   FileBase::NativeSystemDir,        W64,            1};
const FileList MiddlewareFileSet = {MakeList(kMiddlewareFiles), FileBase::SystemDir32,            When::Always,   1};

const RefList SharedRefList32    = {MakeList(kSharedRefs32),    FileBase::NativeSystemDir, 0,     When::Always,   1};
const RefList InstallRefList     = {MakeList(kInstallRefs),     FileBase::InstallDir,      0,     When::Always,   0};
const RefList SharedRefList64    = {MakeList(kSharedRefs64),    FileBase::NativeSystemDir, 1,     W64,            1};
const RefList InstallRefList64   = {MakeList(kInstallRefs64),   FileBase::InstallDir,      1,     W64,            0};
const RefList MiddlewareRefList  = {MakeList(kMiddlewareFiles), FileBase::SystemDir32,     0,     When::Always,   0};

const char kSharedDllsKey[] = CV "\\SharedDLLs";
const char kWindowsInstallerFolder[] = "Installer";
const Rows<CacheRow> InstallerCaches = MakeRows(kInstallerCaches);
// key                                                                     value           ending  steps
const CachedPackageRow CachedPackage = {
    INSTALLER "\\UserData\\S-1-5-18\\Products\\" PACKAGE_B_PACKED "\\InstallProperties", "LocalPackage", ".msi", 1};

const char kProgramsMenu[] = "Start Menu\\Programs";
// "תפריט התחלה\תוכניות" (Start Menu\Programs on Hebrew Windows), code page 1255.
const char kHebrewProgramsMenu[] =
    "\xFA\xF4\xF8\xE9\xE8" " " "\xE4\xFA\xE7\xEC\xE4" "\\" "\xFA\xE5\xEB\xF0\xE9\xE5\xFA";
const char kNt4ProgramsMenu[] = "Profiles\\All Users\\Start Menu\\Programs";
// product     vendor  startup folders                                   shortcut     steps: find product vendor startup
const MenuRows Menu = {
    "Morvane", "TQV",  kStartupFolders, sizeof kStartupFolders / sizeof kStartupFolders[0], "scmon.lnk", 1, 1, 1, 1};

// folder      file              when                  steps
const DriverRow FilterDriver = {"drivers", "TqScFilter.sys", When::WithServices, 0};

// ---- Registry ----

//                                                            steps
const RegistryList DriverKeys           = {MakeRows(kDriverKeys),           0};
const RegistryList VendorKeys           = {MakeRows(kVendorKeys),           0};
const RegistryList CardProviderKeys     = {MakeRows(kCardProviderKeys),     0};
const RegistryList CardProviderKeys64   = {MakeRows(kCardProviderKeys64),   0};
const RegistryList AppRegistrationKeys  = {MakeRows(kAppRegistrationKeys),  1};
const RegistryList SetupPackageKeys     = {MakeRows(kSetupPackageKeys),     1};
const RegistryList UpgradeCodeKeys      = {MakeRows(kUpgradeCodeKeys),      0};
const RegistryList InstallerPackageKeys = {MakeRows(kInstallerPackageKeys), 1};
const RegistryList MiddlewareKeys       = {MakeRows(kMiddlewareKeys),       1};

// package A packed     user data steps  folders key              package B code   folder steps
const InstallerScans Installer = {PACKAGE_A_PACKED, 1, INSTALLER "\\Folders", PACKAGE_B_CODE, 1};

// ---- The progress bar ----

// windows  system  value  program files  per rejected  install dir  install tree
const StageSteps Stages = {1, 1, 1, 1, 1, 1, 1};

bool Holds(When when, const RowContext& context)
{
    const bool nineX = context.osClass == sysops::OSCLASS_WIN98 || context.osClass == sysops::OSCLASS_WINME;
    switch (when) {
    case When::Always: return true;
    case When::On64BitWindows: return context.is64BitWindows;
    case When::BeforeServices: return nineX || context.osClass == sysops::OSCLASS_NT4;
    case When::WithServices: return context.osClass >= sysops::OSCLASS_WIN2000;
    case When::On9x: return nineX;
    case When::NotOn9x: return !nineX;
    case When::DriverFileFound: return context.driverFileFound;
    case When::VendorRootEmpty: return false;
    }
    return false;
}

namespace {

template <typename Row>
int StepsOf(const Rows<Row>& rows, const RowContext& context)
{
    int steps = 0;
    for (const Row& row : rows)
        steps += Holds(row.when, context) ? row.steps : 0;
    return steps;
}

int StepsOf(const FileList& list, const RowContext& context)
{
    return Holds(list.when, context) ? list.steps : 0;
}

}  // namespace

int StepsBeforeReferences(const RowContext& context)
{
    const int locations = Stages.windowsDirectory + Stages.systemDirectories + Stages.installDirValue +
                          Stages.programFilesDirectory + Stages.installDirectory;
    const int programs = StepsOf(ProductProcesses, context) +
                         (Holds(ProductService.when, context) ? ProductService.steps : 0) +
                         StepsOf(MiddlewareProcesses, context) + kOutsidePrograms[0].steps +
                         kOutsidePrograms[1].steps + IdentityComponent.steps;
    int caches = Stages.installTree + CachedPackage.steps;
    for (const CacheRow& row : InstallerCaches)
        caches += row.steps;
    const int files = StepsOf(SystemFileSet32, context) + StepsOf(SystemFileSet64, context) +
                      StepsOf(MiddlewareFileSet, context);
    const int menu = Menu.findSteps + Menu.productSteps + Menu.vendorSteps + Menu.startupSteps +
                     (Holds(FilterDriver.when, context) ? FilterDriver.steps : 0);
    const int registry = VendorKeys.steps + CardProviderKeys.steps + CardProviderKeys64.steps +
                         AppRegistrationKeys.steps + SetupPackageKeys.steps + UpgradeCodeKeys.steps +
                         Installer.userDataSteps + InstallerPackageKeys.steps;
    return locations + programs + caches + files + menu + registry;
}

#undef PACKAGE_A
#undef PACKAGE_A_PACKED
#undef PACKAGE_B_CODE
#undef PACKAGE_B
#undef PACKAGE_B_PACKED
#undef PACKAGE_C
#undef CV
#undef INSTALLER
#undef CRYPTOGRAPHY
#undef READERS
#undef SMART_CARDS
#undef PROVIDERS
#undef STORE_PROVIDER
#undef TS_ADDIN
#undef WINLOGON
#undef CLASSES
#undef SERVICES
#undef INSTALLSHIELD_CACHE

}  // namespace uninstall
