// The sample installation, item by item. A row says where an item is, on
// which machines it exists and what a completed uninstall run must leave of
// it; Plant, Inspect and Remove read nothing else.
#include "sample/SampleRows.h"

namespace sample {

const char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kInstallerFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kPackageBCode[] = "{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}";
const char kPackageBFolder[] = "PackageB";

// Literal joins below need the prefixes as macros; they end with this file.
#define CV "Software\\Microsoft\\Windows\\CurrentVersion"
#define USERDATA CV "\\Installer\\UserData"
#define CALAIS "Software\\Microsoft\\Cryptography\\Calais"
#define PROVIDER "Software\\Microsoft\\Cryptography\\Defaults\\Provider"
#define WINLOGON "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"
#define CLASSES "Software\\Classes"
#define READER_CLASS "System\\CurrentControlSet\\Control\\Class\\{50DD5230-BA8A-11D1-BF5D-0000F805F530}"
// Product codes, packed as Windows Installer keeps them.
#define PACKAGE_A "72A3F1B659C4D0E4A9263D8E07C5B149"
#define PACKAGE_B "1E49C7D26B0A83F4E851C6B4F9A0D237"
#define OTHER_PRODUCT "0F1E2D3C4B5A69788796A5B4C3D2E1F0"
// Users of the installer records: a person, and the local system.
#define PERSON "S-1-5-21-3623811015-3361044348-30300820-1001"
#define SYSTEM "S-1-5-18"

const char kPackageBProperties[] = USERDATA "\\" SYSTEM "\\Products\\" PACKAGE_B "\\InstallProperties";

namespace {

using A = Attr;
using C = Content;
using F = Fate;
using W = When;
using S = Source;

// base                path                                                                attributes           content            fate            when          source
constexpr FileRow kFiles[] = {
    // The product's and the middleware's files in the 32-bit system directory.
    { Base::System32, "certmng.exe",                                                     A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tq_jpk11.dll",                                                    A::ReadOnly,       C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "mvpkcs12.dll",                                                    A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "mvx50932.dll",                                                    A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "zypkcs11.dll",                                                    A::Hidden,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "oid_tab.dll",                                                     A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "cbridge.dll",                                                     A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqcsp.dll",                                                       A::ReadOnlyHidden, C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqksp.dll",                                                       A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqstore.dll",                                                     A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqcltsrv.dll",                                                    A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqdaemon.dll",                                                    A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqgui.dll",                                                       A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqassist.dll",                                                    A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "TqMvSso.dll",                                                     A::ReadOnly,       C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "mv_pk107.dll",                                                    A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqspe.dll",                                                       A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "TqBioMoc.dll",                                                    A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqspegina.dll",                                                   A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "tqbiocli.dll",                                                    A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "apiasn1.dll",                                                     A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "APICore.dll",                                                     A::Normal,         C::ApiCore,       F::Gone,        W::Always,    S::Sample },
    { Base::System32, "apicrypto.dll",                                                   A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "apisccom.dll",                                                    A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "cardos_csp.dll",                                                  A::ReadOnly,       C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "cardos_pkcs11.dll",                                               A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "csp_module.dll",                                                  A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "errmngr.dll",                                                     A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "scmon.exe",                                                       A::Normal,         C::Monitor,       F::Gone,        W::Always,    S::Sample },
    { Base::System32, "sicertificateviewer.dll",                                         A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "sicertviewer.dll",                                                A::Hidden,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::System32, "othervendor.dll",                                                 A::Normal,         C::Text,          F::Stays,       W::Always,    S::Sample },
    { Base::System32, "advapi32.dll",                                                    A::Normal,         C::Existing,      F::Stays,       W::Always,    S::Sample },
    // The 64-bit system directory. Its "tqksp.dll" goes; "tqksp64.dll" is never deleted.
    { Base::System64, "mvpkcs12w64.dll",                                                 A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "mvx50932w64.dll",                                                 A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "zypkcs11w64.dll",                                                 A::ReadOnly,       C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "oid_tab64.dll",                                                   A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "cbridge64.dll",                                                   A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "tqcsp64.dll",                                                     A::Hidden,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "tqksp.dll",                                                       A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "tqstore64.dll",                                                   A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "tqgui64.dll",                                                     A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "tqassist64.dll",                                                  A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "tqspe64.dll",                                                     A::ReadOnlyHidden, C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "tqbiocli64.dll",                                                  A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::System64, "tqksp64.dll",                                                     A::Normal,         C::Text,          F::Stays,       W::Win64,     S::Sample },
    { Base::System64, "othervendor64.dll",                                               A::Normal,         C::Text,          F::Stays,       W::Win64,     S::Sample },
    { Base::System64, "advapi32.dll",                                                    A::Normal,         C::Existing,      F::Stays,       W::Win64,     S::Sample },
    // The smart-card filter driver, in the native drivers folder.
    { Base::Drivers,  "TqScFilter.sys",                                                  A::ReadOnly,       C::Text,          F::DriverStep,  W::Always,    S::Sample },
    { Base::Drivers,  "otherfilter.sys",                                                 A::Normal,         C::Text,          F::Stays,       W::Always,    S::Sample },
    // The install tree.
    { Base::Install,  "Installation\\Seal5\\idsl5in.dll",                                A::Normal,         C::Identity,      F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "Installation\\DlxLoad.exe",                                       A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "Installation\\LpInsth2kXp.exe",                                   A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "Installation\\LpPadUp.sys",                                       A::ReadOnly,       C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "utils\\tqcltsrv.exe",                                             A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "utils\\tqassist.exe",                                             A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "utils\\htm\\tqassist.htm",                                        A::Hidden,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "utils\\PinKeeper.exe",                                            A::ReadOnly,       C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "utils\\p12tool64.exe",                                            A::Normal,         C::Text,          F::Gone,        W::Win64,     S::Sample },
    { Base::Install,  "lib\\mvx50932.lib",                                               A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "doc\\Terms.rtf",                                                  A::ReadOnly,       C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "vtk_tok\\Token1.vtk",                                             A::ReadOnlyHidden, C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Install,  "Anonymous.vtk",                                                   A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::ProgramFiles, "TQM\\OtherTool\\othertool.exe",                               A::Normal,         C::Text,          F::Stays,       W::Neighbours, S::Sample },
    { Base::ProgramFiles, "OtherVendor\\OtherApp\\otherapp.exe",                         A::Normal,         C::Text,          F::Stays,       W::Always,    S::Sample },
    // Installer caches: InstallShield's under Program Files, Windows Installer's under Windows.
    { Base::ProgramFiles, "InstallShield Installation Information\\{9A4E0C5B-71D2-4B6F-B3A8-5E27C1D96F08}\\setup.ilg", A::Normal, C::Text, F::Gone, W::Always, S::Sample },
    { Base::ProgramFiles, "InstallShield Installation Information\\{9A4E0C5B-71D2-4B6F-B3A8-5E27C1D96F08}\\layout.bin", A::ReadOnly, C::Text, F::Gone, W::Always, S::Sample },
    { Base::ProgramFiles, "InstallShield Installation Information\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}\\setup.ilg", A::Hidden, C::Text, F::Gone, W::Always, S::Sample },
    { Base::ProgramFiles, "InstallShield Installation Information\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}\\data1.hdr", A::Normal, C::Text, F::Gone, W::Always, S::Sample },
    { Base::ProgramFiles, "InstallShield Installation Information\\{0C1D2E3F-4A5B-4C6D-8E7F-90A1B2C3D4E5}\\setup.ilg", A::Normal, C::Text, F::Stays, W::Always, S::Sample },
    { Base::Windows,  "Installer\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}\\ARPPRODUCTICON.exe", A::Normal,      C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Windows,  "Installer\\{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}\\ProductIcon",  A::Normal,         C::Text,          F::Gone,        W::Always,    S::PackageB },
    { Base::Windows,  "Installer\\morvsample-b.msi",                                     A::ReadOnly,       C::CachedPackage, F::Gone,        W::Always,    S::PackageB },
    { Base::Windows,  "Installer\\{0C1D2E3F-4A5B-4C6D-8E7F-90A1B2C3D4E5}\\setup.ico",    A::Normal,         C::Text,          F::Stays,       W::Always,    S::Sample },
    // The program menu and the start-up shortcut.
    { Base::Menu,     "Morvane\\Morvane.lnk",                                            A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Menu,     "Morvane\\Tools\\PinKeeper.lnk",                                   A::ReadOnly,       C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Menu,     "TQV\\Morvane\\Readme.lnk",                                        A::Hidden,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Menu,     "TQV\\OtherTool\\OtherTool.lnk",                                   A::Normal,         C::Text,          F::Stays,       W::Neighbours, S::Sample },
    { Base::Menu,     "Startup\\scmon.lnk",                                              A::Normal,         C::Text,          F::Gone,        W::Always,    S::Sample },
    { Base::Menu,     "Startup\\otherapp.lnk",                                           A::Normal,         C::Text,          F::Stays,       W::Always,    S::Sample },
    { Base::Menu,     "OtherApp\\OtherApp.lnk",                                          A::Normal,         C::Text,          F::Stays,       W::Always,    S::Sample },
};

// base                path                                                                        removal             fate         when           source
constexpr FolderRow kFolders[] = {
    { Base::Install,      "",                                                                      Removal::Tree,    F::Gone,     W::Always,     S::Sample },
    { Base::ProgramFiles, "TQM",                                                                   Removal::IfEmpty, F::Gone,     W::Alone,      S::Sample },
    { Base::ProgramFiles, "TQM",                                                                   Removal::IfEmpty, F::Stays,    W::Neighbours, S::Sample },
    { Base::ProgramFiles, "InstallShield Installation Information\\{9A4E0C5B-71D2-4B6F-B3A8-5E27C1D96F08}", Removal::Tree, F::Gone, W::Always, S::Sample },
    { Base::ProgramFiles, "InstallShield Installation Information\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}", Removal::Tree, F::Gone, W::Always, S::Sample },
    { Base::Windows,      "Installer\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}",                     Removal::Tree,    F::Gone,     W::Always,     S::Sample },
    { Base::Windows,      "Installer\\{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}",                     Removal::Tree,    F::Gone,     W::Always,     S::PackageB },
    { Base::Menu,         "Morvane",                                                               Removal::Tree,    F::Gone,     W::Always,     S::Sample },
    { Base::Menu,         "TQV\\Morvane",                                                          Removal::Tree,    F::Gone,     W::Always,     S::Sample },
    { Base::Menu,         "TQV",                                                                   Removal::IfEmpty, F::Gone,     W::Alone,      S::Sample },
    { Base::Menu,         "TQV",                                                                   Removal::IfEmpty, F::Stays,    W::Neighbours, S::Sample },
};

// key                                                                                      view      fill          fate            when                source
constexpr KeyRow kKeys[] = {
    // The maker's configuration; the vendor root goes only when nothing else is in it.
    { "Software\\TQM\\Morvane",                                                             View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { "Software\\TQM\\CardBridge",                                                          View::V0, Fill::Bare,   F::Gone,        W::Always,          S::Sample },
    { "Software\\TQM\\CardBridge\\Main",                                                    View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { "Software\\TQM\\Cryptoki CSP",                                                        View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { "Software\\TQM\\TQsealBox",                                                           View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { "Software\\TQM\\TqSPEGina",                                                           View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { "Software\\TQM",                                                                      View::V0, Fill::Bare,   F::Gone,        W::Alone,           S::Sample },
    { "Software\\TQM",                                                                      View::V0, Fill::Bare,   F::Stays,       W::Neighbours,      S::Sample },
    { "Software\\TQM\\OtherTool",                                                           View::V0, Fill::Filled, F::Stays,       W::Neighbours,      S::Sample },
    // Readers: removed in the 64-bit view only; a separate 32-bit copy stays.
    { CALAIS "\\Readers\\Quenmark Tokette 0",                                               View::V1, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\Readers\\Quenmark Tokette 1",                                               View::V1, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\Readers\\Quenmark Ltd Lockpad 0",                                           View::V1, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\Readers\\Quenmark Tokette 0",                                               View::V0, Fill::Filled, F::Stays,       W::Win64OtherView,  S::Sample },
    { CALAIS "\\Readers\\Other Vendor Reader 0",                                            View::V1, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    // Cards, providers, the store provider and the terminal-services add-in, in both views.
    { CALAIS "\\SmartCards\\Sealcard",                                                      View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\SmartCards\\SealcardEx",                                                    View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\SmartCards\\Sealcard Siemens v4.01",                                        View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\SmartCards\\Sealcard Siemens",                                              View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\SmartCards\\Sealcard",                                                      View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    { CALAIS "\\SmartCards\\SealcardEx",                                                    View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    { CALAIS "\\SmartCards\\Sealcard Siemens v4.01",                                        View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    { CALAIS "\\SmartCards\\Sealcard Siemens",                                              View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    { CALAIS "\\SmartCards\\Other Vendor Card",                                             View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    { CALAIS "\\SmartCards\\Other Vendor Card",                                             View::V1, Fill::Filled, F::Stays,       W::Win64,           S::Sample },
    { PROVIDER "\\TQ Base Cryptographic Provider",                                          View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { PROVIDER "\\TQ RSA SCannel Cryptographic Provider",                                   View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { PROVIDER "\\TQ RSA SChannel Cryptographic Provider",                                  View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { PROVIDER "\\TQV Inkseal Digital Signature Provider",                                  View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { PROVIDER "\\TQ Enhanced RSA and AES Cryptographic Provider",                          View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { PROVIDER "\\TQ Base Cryptographic Provider",                                          View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    { PROVIDER "\\TQ RSA SCannel Cryptographic Provider",                                   View::V1, Fill::Filled, F::Stays,       W::Win64OtherView,  S::Sample },
    { PROVIDER "\\TQ RSA SChannel Cryptographic Provider",                                  View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    { PROVIDER "\\TQV Inkseal Digital Signature Provider",                                  View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    { PROVIDER "\\TQ Enhanced RSA and AES Cryptographic Provider",                          View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    { PROVIDER "\\Other Vendor Cryptographic Provider",                                     View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    { PROVIDER "\\Other Vendor Cryptographic Provider",                                     View::V1, Fill::Filled, F::Stays,       W::Win64,           S::Sample },
    { "Software\\Microsoft\\Cryptography\\OID\\EncodingType 0\\CertDllOpenStoreProv\\tqPhysicalOpen", View::V0, Fill::Filled, F::Gone, W::Always,  S::Sample },
    { "Software\\Microsoft\\Cryptography\\OID\\EncodingType 0\\CertDllOpenStoreProv\\tqPhysicalOpen", View::V1, Fill::Filled, F::Gone, W::Win64,   S::Sample },
    { "Software\\Microsoft\\Terminal Server Client\\Default\\AddIns\\tqbiots",              View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { "Software\\Microsoft\\Terminal Server Client\\Default\\AddIns\\tqbiots",              View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    // Application paths, uninstall entries and the logon notification package.
    { CV "\\App Paths\\stax.exe",                                                           View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CV "\\App Paths\\tq.exe",                                                             View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CV "\\App Paths\\TQM",                                                                View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CV "\\App Paths\\otherapp.exe",                                                       View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    { CV "\\Uninstall\\Morvane",                                                            View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CV "\\Uninstall\\{9A4E0C5B-71D2-4B6F-B3A8-5E27C1D96F08}",                             View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CV "\\Uninstall\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}",                             View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    // Package B's entry as the catalogue names it. The test database is a 32-bit package, whose
    // real entry msiexec writes into the 32-bit view, which is the copy below that stays.
    { CV "\\Uninstall\\{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}",                             View::V1, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CV "\\Uninstall\\installShield Uninstall Information\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}", View::V0, Fill::Filled, F::Gone,  W::Always,          S::Sample },
    { CV "\\Uninstall\\{9A4E0C5B-71D2-4B6F-B3A8-5E27C1D96F08}",                             View::V1, Fill::Filled, F::Stays,       W::Win64OtherView,  S::Sample },
    { CV "\\Uninstall\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}",                             View::V1, Fill::Filled, F::Stays,       W::Win64OtherView,  S::Sample },
    { CV "\\Uninstall\\{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}",                             View::V0, Fill::Filled, F::Stays,       W::Win64OtherView,  S::Sample },
    { CV "\\Uninstall\\OtherApp",                                                           View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    { WINLOGON "\\Notify\\TqMorvane",                                                       View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { WINLOGON "\\Notify\\OtherNotify",                                                     View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    // Package A's installer registration and the add/remove-programs cache.
    { CLASSES "\\Installer\\Features\\" PACKAGE_A,                                          View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CLASSES "\\Installer\\Products\\" PACKAGE_A,                                          View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CLASSES "\\Installer\\Products\\" OTHER_PRODUCT,                                      View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    { CV "\\App Management\\ARPCache\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}",              View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CV "\\App Management\\ARPCache\\Morvane",                                             View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CV "\\App Management\\ARPCache\\OtherApp",                                            View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    // The installer's upgrade code of the product goes from both views.
    { CV "\\Installer\\UpgradeCodes\\D9402B7EC1A658D4F9E3B0A5C8274D16",                     View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CV "\\Installer\\UpgradeCodes\\D9402B7EC1A658D4F9E3B0A5C8274D16",                     View::V1, Fill::Filled, F::Gone,        W::Win64,           S::Sample },
    { CV "\\Installer\\UpgradeCodes\\5B6C7D8E9FA0B1C2D3E4F5061728394A",                     View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    { CV "\\Installer\\UpgradeCodes\\5B6C7D8E9FA0B1C2D3E4F5061728394A",                     View::V1, Fill::Filled, F::Stays,       W::Win64,           S::Sample },
    // Package A's records in two users' installer data, where Windows Installer keeps them.
    { USERDATA "\\" PERSON "\\Components\\B1C2D3E4F5A60718293A4B5C6D7E8F90",                View::V1, Fill::Bare,   F::Gone,        W::Always,          S::Sample },
    { USERDATA "\\" PERSON "\\Components\\C2D3E4F5A60718293A4B5C6D7E8F90A1",                View::V1, Fill::Bare,   F::Stays,       W::Always,          S::Sample },
    { USERDATA "\\" PERSON "\\Products\\" PACKAGE_A,                                        View::V1, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { USERDATA "\\" SYSTEM "\\Components\\D3E4F5A60718293A4B5C6D7E8F90A1B2",                View::V1, Fill::Bare,   F::Gone,        W::Always,          S::Sample },
    { USERDATA "\\" SYSTEM "\\Products\\" PACKAGE_A,                                        View::V1, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { USERDATA "\\" SYSTEM "\\Products\\" OTHER_PRODUCT,                                    View::V1, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    // Package B's installer registration (msiexec's own when the real package is installed).
    { CLASSES "\\Installer\\Products\\" PACKAGE_B,                                          View::V1, Fill::Filled, F::Gone,        W::Always,          S::PackageB },
    { CLASSES "\\Installer\\Features\\" PACKAGE_B,                                          View::V1, Fill::Filled, F::Gone,        W::Always,          S::PackageB },
    { CLASSES "\\Installer\\UpgradeCodes\\4A1E3C85D7B219F4680A4D7B9EC3F521",                View::V1, Fill::Filled, F::Gone,        W::Always,          S::PackageB },
    { USERDATA "\\" SYSTEM "\\Products\\" PACKAGE_B,                                        View::V1, Fill::Bare,   F::Gone,        W::Always,          S::PackageB },
    // The filter driver's service and event-log registrations.
    { "System\\CurrentControlSet\\Services\\TqScFilter",                                    View::V1, Fill::Filled, F::DriverStep,  W::Always,          S::Sample },
    { "System\\CurrentControlSet\\Services\\EventLog\\System\\TqScFilter",                  View::V1, Fill::Filled, F::DriverStep,  W::Always,          S::Sample },
    // The card middleware and its certificate monitor.
    { CALAIS "\\SmartCards\\Siemens Informatica - CardOS M4.0",                             View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\SmartCards\\Siemens Informatica - CardOS M4.01",                            View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\SmartCards\\Siemens Informatica - CardOS M4.01  (Infocamere)",              View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\SmartCards\\Siemens Informatica - CardOS M4.01a",                           View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CALAIS "\\SmartCards\\Siemens Informatica - CardOS M4.01a (Infocamere)",              View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { PROVIDER "\\CardOS_CSP",                                                              View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { "Software\\Siemens",                                                                  View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { "Software\\Siemens\\CardOS\\Settings",                                                View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { "Software\\Siemens Informatica",                                                      View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CLASSES "\\AppID\\scmon.exe",                                                         View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CLASSES "\\AppID\\{5E297AC9-6533-49CE-85B8-45EE61443D72}",                            View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CLASSES "\\CLSID\\{78FC31C2-6A4F-439C-A143-C6D8F89469E7}",                            View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CLASSES "\\Scmon.CertMonitor",                                                        View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CLASSES "\\Scmon.CertMonitor.1",                                                      View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CLASSES "\\TypeLib\\{1FCA3602-75B1-4E1D-9DB9-4C8FB4730EF5}",                          View::V0, Fill::Filled, F::Gone,        W::Always,          S::Sample },
    { CLASSES "\\CLSID\\{3C4D5E6F-7A8B-4C9D-8E0F-1A2B3C4D5E6F}",                            View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
    { CLASSES "\\OtherApp.Document",                                                        View::V0, Fill::Filled, F::Stays,       W::Always,          S::Sample },
};

// key                                                           name                                 data from            data                                    view      fate        when             source
constexpr ValueRow kValues[] = {
    { "Software\\TQM\\CardBridge\\Main",                          "MorvDir",                           DataFrom::InstallDir, "\\",                                   View::V0, F::Gone,    W::RegistryForm, S::Sample },
    { CV "\\Run",                                                 "AATQCLTSRV",                        DataFrom::Text,       "C:\\Program Files\\TQM\\Morvane\\utils\\tqcltsrv.exe", View::V0, F::Gone, W::Always, S::Sample },
    { CV "\\Run",                                                 "ZZZTQDAEMON",                       DataFrom::Text,       "tqdaemon.exe",                         View::V0, F::Gone,    W::Always,       S::Sample },
    { CV "\\Run",                                                 "OtherApp",                          DataFrom::Text,       "C:\\Program Files\\OtherVendor\\OtherApp\\otherapp.exe", View::V0, F::Stays, W::Always, S::Sample },
    // GinaDLL goes only when it names the product's GINA, bare or with a path, in any case.
    { WINLOGON,                                                   "GinaDLL",                           DataFrom::Text,       "tqspegina.dll",                        View::V0, F::Gone,    W::GinaBare,     S::Sample },
    { WINLOGON,                                                   "GinaDLL",                           DataFrom::Text,       "C:\\WINDOWS\\System32\\TQSPEGINA.DLL", View::V0, F::Gone,    W::GinaPath,     S::Sample },
    { WINLOGON,                                                   "GinaDLL",                           DataFrom::Text,       "othergina.dll",                        View::V0, F::Stays,   W::GinaOther,    S::Sample },
    { WINLOGON,                                                   "OtherSetting",                      DataFrom::Text,       "1",                                    View::V0, F::Stays,   W::Always,       S::Sample },
    // Package A's values in component keys; another product's value in a shared one stays.
    { USERDATA "\\" PERSON "\\Components\\B1C2D3E4F5A60718293A4B5C6D7E8F90", PACKAGE_A,          DataFrom::Text,       "C:\\Program Files\\TQM\\Morvane\\utils\\tqassist.exe", View::V1, F::Gone, W::Always, S::Sample },
    { USERDATA "\\" PERSON "\\Components\\C2D3E4F5A60718293A4B5C6D7E8F90A1", OTHER_PRODUCT,      DataFrom::Text,       "C:\\Program Files\\OtherVendor\\OtherApp\\shared.dll", View::V1, F::Stays, W::Always, S::Sample },
    { USERDATA "\\" PERSON "\\Components\\C2D3E4F5A60718293A4B5C6D7E8F90A1", "72a3f1b659c4d0e4a9263d8e07c5b149", DataFrom::Text, "C:\\Program Files\\TQM\\Morvane\\shared.dll", View::V1, F::Gone, W::Always, S::Sample },
    { USERDATA "\\" SYSTEM "\\Components\\D3E4F5A60718293A4B5C6D7E8F90A1B2", PACKAGE_A,          DataFrom::Text,       "C:\\Program Files\\TQM\\Morvane\\utils\\pnl.exe", View::V1, F::Gone, W::Always, S::Sample },
    // Package B's cached database, named where the uninstaller reads it.
    { USERDATA "\\" SYSTEM "\\Products\\" PACKAGE_B "\\InstallProperties", "LocalPackage",      DataFrom::WindowsDir, "\\Installer\\morvsample-b.msi",        View::V1, F::Gone,    W::Always,       S::PackageB },
};

// base               name after it                         view      fate      when
constexpr PathValueRow kSharedReferences[] = {
    // The 32-bit list: named with the native system32 on 64-bit Windows, removed in view 0.
    { Base::RefList32,   "tq_jpk11.dll",                      View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "TqBioMoc.dll",                      View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "TqMvSso.dll",                       View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "tqcsp.dll",                         View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "tqksp.dll",                         View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "tqassist.dll",                      View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "tqgui.dll",                         View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "tqstore.dll",                       View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "mv_pk107.dll",                      View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "mvpkcs12.dll",                      View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "mvx50932.dll",                      View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "zypkcs11.dll",                      View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "oid_tab.dll",                       View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "cbridge.dll",                       View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "tqspe.dll",                         View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "tqspegina.dll",                     View::V0, F::Gone,  W::Always },
    { Base::RefList32,   "drivers\\TqScFilter.sys",           View::V0, F::Gone,  W::Always },
    // The install tree's references, in view 0.
    { Base::Install,     "lib\\mvx50932.lib",                 View::V0, F::Gone,  W::Always },
    { Base::Install,     "utils\\tqcltsrv.exe",               View::V0, F::Gone,  W::Always },
    { Base::Install,     "Anonymous.vtk",                     View::V0, F::Gone,  W::Always },
    { Base::Install,     "doc\\Terms.rtf",                    View::V0, F::Gone,  W::Always },
    { Base::Install,     "doc\\NOTES.TXT",                    View::V0, F::Gone,  W::Always },
    { Base::Install,     "Installation\\Seal5\\idsl5in.dll",  View::V0, F::Gone,  W::Always },
    { Base::Install,     "Installation\\DlxLoad.exe",         View::V0, F::Gone,  W::Always },
    { Base::Install,     "Installation\\LpInsth2kXp.exe",     View::V0, F::Gone,  W::Always },
    { Base::Install,     "Installation\\LpPadUp.sys",         View::V0, F::Gone,  W::Always },
    { Base::Install,     "vtk_tok\\Token1.vtk",               View::V0, F::Gone,  W::Always },
    { Base::Install,     "utils\\tqassist.exe",               View::V0, F::Gone,  W::Always },
    { Base::Install,     "utils\\htm\\tqassist.htm",          View::V0, F::Gone,  W::Always },
    { Base::Install,     "utils\\pnl.exe",                    View::V0, F::Gone,  W::Always },
    { Base::Install,     "utils\\PinKeeper.exe",              View::V0, F::Gone,  W::Always },
    { Base::Install,     "utils\\p12tool.exe",                View::V0, F::Gone,  W::Always },
    // The 64-bit list and the install tree's 64-bit programs, in view 1.
    { Base::System64,    "tq_jpk11.dll",                      View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "tqcsp64.dll",                       View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "tqksp64.dll",                       View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "tqassist64.dll",                    View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "tqgui64.dll",                       View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "tqstore64.dll",                     View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "mvpkcs12w64.dll",                   View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "mvx50932w64.dll",                   View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "zypkcs11w64.dll",                   View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "oid_tab64.dll",                     View::V1, F::Gone,  W::Win64 },
    { Base::System64,    "cbridge64.dll",                     View::V1, F::Gone,  W::Win64 },
    { Base::Install,     "utils\\tqassist64.exe",             View::V1, F::Gone,  W::Win64 },
    { Base::Install,     "utils\\pnl64.exe",                  View::V1, F::Gone,  W::Win64 },
    { Base::Install,     "utils\\p12tool64.exe",              View::V1, F::Gone,  W::Win64 },
    // The middleware's list: named with the 32-bit system directory (SysWOW64), view 0.
    { Base::System32,    "apiasn1.dll",                       View::V0, F::Gone,  W::Always },
    { Base::System32,    "apicore.dll",                       View::V0, F::Gone,  W::Always },
    { Base::System32,    "apicrypto.dll",                     View::V0, F::Gone,  W::Always },
    { Base::System32,    "apisccom.dll",                      View::V0, F::Gone,  W::Always },
    { Base::System32,    "cardos_csp.dll",                    View::V0, F::Gone,  W::Always },
    { Base::System32,    "cardos_pkcs11.dll",                 View::V0, F::Gone,  W::Always },
    { Base::System32,    "csp_module.dll",                    View::V0, F::Gone,  W::Always },
    { Base::System32,    "errmngr.dll",                       View::V0, F::Gone,  W::Always },
    { Base::System32,    "scmon.exe",                         View::V0, F::Gone,  W::Always },
    { Base::System32,    "sicertificateviewer.dll",           View::V0, F::Gone,  W::Always },
    { Base::System32,    "sicertviewer.dll",                  View::V0, F::Gone,  W::Always },
    // Other products' references, in both views.
    { Base::ProgramFiles, "OtherVendor\\OtherApp\\other.dll", View::V0, F::Stays, W::Always },
    { Base::ProgramFiles, "OtherVendor\\OtherApp\\other.dll", View::V1, F::Stays, W::Win64 },
    { Base::System32,    "othervendor.dll",                   View::V0, F::Stays, W::Always },
};

// Installer folder entries, where Windows Installer keeps them. Only the
// TQV menu folder is the product's menu folder here, as the uninstaller
// settles on the last one it finds.
constexpr PathValueRow kInstallerFolderRows[] = {
    { Base::Install,      "",                                              View::V1, F::Gone,  W::Always },
    { Base::Install,      "Installation\\Seal5\\",                         View::V1, F::Gone,  W::Always },
    { Base::Menu,         "TQV\\Morvane\\",                                View::V1, F::Gone,  W::Always },
    { Base::Windows,      "Installer\\{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}\\", View::V1, F::Gone, W::Always },
    { Base::ProgramFiles, "OtherVendor\\OtherApp\\",                       View::V1, F::Stays, W::Always },
    { Base::Windows,      "Installer\\{0C1D2E3F-4A5B-4C6D-8E7F-90A1B2C3D4E5}\\", View::V1, F::Stays, W::Always },
};

// The reader class's filters: the product's goes, another product's stays,
// and the value goes only once it lists nothing.
constexpr EntryRow kEntries[] = {
    { READER_CLASS, "UpperFilters", "OtherFilter", View::V0, F::Stays,      W::Neighbours },
    { READER_CLASS, "UpperFilters", "TqScFilter",  View::V0, F::DriverStep, W::Always },
};

constexpr ProcessRow kProcesses[] = {
    { "scmon.exe",    F::Gone,  W::Always },
    { "certmng.exe",  F::Gone,  W::Always },
    { "tqcltsrv.exe", F::Gone,  W::ProcessClass },
    { "tqdaemon.exe", F::Gone,  W::ProcessClass },
    { "otherapp.exe", F::Stays, W::Always },
    { "scmonitor.exe", F::Stays, W::Always },
};

constexpr ServiceRow kServices[] = {
    { "TQcltsrv", "tqcltsrv.exe", F::Gone, W::ServiceClass },
};

// file            text                                mark              what
constexpr MarkRow kMarks[] = {
    { "identity.txt", "SealIdentityUninstall",           Match::OnlyLine,  "identity component called through SealIdentityUninstall",           W::NotNineX },
    { "identity.txt", "SealIdentityUninstallNeedReboot", Match::OnlyLine,  "identity component called through SealIdentityUninstallNeedReboot", W::NineX },
    { "apicore.txt",  "DllUnregisterServer",             Match::AnyLine,   "APICore.dll unregistered by regsvr32",                              W::Always },
    { "scmon.exe.txt", "-unregserver",                   Match::Arguments, "scmon.exe started with -unregserver",                               W::Always },
    { "service.txt",  "control 1",                       Match::AnyLine,   "service TQcltsrv asked to stop",                                    W::ServiceClass },
};

template <typename Row, std::size_t N>
constexpr Table<Row> TableOf(const Row (&rows)[N])
{
    return {rows, N};
}

}  // namespace

Table<FileRow> Files() { return TableOf(kFiles); }
Table<FolderRow> Folders() { return TableOf(kFolders); }
Table<KeyRow> Keys() { return TableOf(kKeys); }
Table<ValueRow> Values() { return TableOf(kValues); }
Table<PathValueRow> SharedReferences() { return TableOf(kSharedReferences); }
Table<PathValueRow> InstallerFolders() { return TableOf(kInstallerFolderRows); }
Table<EntryRow> Entries() { return TableOf(kEntries); }
Table<ProcessRow> Processes() { return TableOf(kProcesses); }
Table<ServiceRow> Services() { return TableOf(kServices); }
Table<MarkRow> Marks() { return TableOf(kMarks); }

#undef CV
#undef USERDATA
#undef CALAIS
#undef PROVIDER
#undef WINLOGON
#undef CLASSES
#undef READER_CLASS
#undef PACKAGE_A
#undef PACKAGE_B
#undef OTHER_PRODUCT
#undef PERSON
#undef SYSTEM

}  // namespace sample
