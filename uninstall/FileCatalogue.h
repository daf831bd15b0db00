// What the product leaves in the file system and in the shared-library
// reference counts, as fixed lists. Each list is walked in row order; a row
// that names nothing on this machine is passed over.
#pragma once

#include <cstddef>
#include <string>

namespace uninstall {

// A list of names, relative to the directory the list is used with.
struct NameList {
    const char* const* names;
    std::size_t count;
    const char* const* begin() const { return names; }
    const char* const* end() const { return names + count; }
};

template <std::size_t N>
constexpr NameList MakeList(const char* const (&names)[N])
{
    return NameList{names, N};
}

// Shared-library reference values: one value per file under this key, named
// by the file's full path.
constexpr const char* kSharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// A reference list: value names relative to a base directory, and the view.
struct RefList {
    NameList names;
    int view64;
};

// ---- Files, deleted with DeleteFileOrTree(directory, name) ----

// From the 32-bit system directory, every run. "tqmvsso.dll" and
// "TqMvSso.dll" name one file; the second attempt finds nothing.
constexpr const char* kSystemFileSet32[] = {
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
constexpr NameList SystemFileSet32 = MakeList(kSystemFileSet32);

// From the 64-bit system directory, on 64-bit Windows only. "tqksp.dll" is
// the same name as in the 32-bit set: no file named "tqksp64.dll" is deleted.
constexpr const char* kSystemFileSet64[] = {
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
constexpr NameList SystemFileSet64 = MakeList(kSystemFileSet64);

// The card middleware, from the 32-bit system directory, every run.
constexpr const char* kMiddlewareFileSet[] = {
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
constexpr NameList MiddlewareFileSet = MakeList(kMiddlewareFileSet);

// ---- Single items, each with its own test (the run reaches them in order) ----

// Installer caches under the program-files directory, deleted when they hold "setup.ilg".
constexpr const char* kInstallShieldCachePackageC =
    "InstallShield Installation Information\\{9A4E0C5B-71D2-4B6F-B3A8-5E27C1D96F08}";
constexpr const char* kInstallShieldCachePackageA =
    "InstallShield Installation Information\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}";
constexpr const char* kInstallShieldCacheMarker = "setup.ilg";

// Installer caches under "<Windows>\Installer", deleted when that folder holds them.
constexpr const char* kWindowsInstallerCachePackageA = "{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}";
constexpr const char* kWindowsInstallerCachePackageB = "{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}";

// Package B's cached installer database is named by this value.
constexpr const char* kPackageBInstallProperties =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\"
    "1E49C7D26B0A83F4E851C6B4F9A0D237\\InstallProperties";
constexpr const char* kLocalPackageValue = "LocalPackage";

// Below the program-menu folder.
constexpr const char* kMenuProductFolder = "Morvane";
constexpr const char* kMenuVendorFolder = "TQV";
constexpr const char* kStartupShortcut = "scmon.lnk";
constexpr const char* kStartupFolder = "Startup";
// "הפעלה" (Startup on Hebrew Windows), code page 1255.
constexpr const char* kHebrewStartupFolder = "\xE4\xF4\xF2\xEC\xE4";

// The smart-card filter driver, in the system directory's "drivers" folder.
constexpr const char* kDriversFolder = "drivers";
constexpr const char* kFilterDriverFile = "TqScFilter.sys";

// ---- Shared-library reference values, relative to the list's base ----

// View 0; based on the 64-bit system directory on 64-bit Windows, else the 32-bit one.
constexpr const char* kSharedRefList32[] = {
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
constexpr RefList SharedRefList32 = {MakeList(kSharedRefList32), 0};

// View 0; based on the install directory, when there is one.
constexpr const char* kInstallRefList[] = {
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
constexpr RefList InstallRefList = {MakeList(kInstallRefList), 0};

// View 1; based on the 64-bit system directory, on 64-bit Windows only.
// "tq_jpk11.dll" is also in the 32-bit list, so its reference goes in both views.
constexpr const char* kSharedRefList64[] = {
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
constexpr RefList SharedRefList64 = {MakeList(kSharedRefList64), 1};

// View 1; based on the install directory, on 64-bit Windows only.
constexpr const char* kInstallRefList64[] = {
    "utils\\tqassist64.exe",
    "utils\\pnl64.exe",
    "utils\\p12tool64.exe",
};
constexpr RefList InstallRefList64 = {MakeList(kInstallRefList64), 1};

// View 0; based on the 32-bit system directory (SysWOW64 on 64-bit Windows).
constexpr const char* kMiddlewareRefList[] = {
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
constexpr RefList MiddlewareRefList = {MakeList(kMiddlewareRefList), 0};

// Deletes every file of `list` from `dir`.
void DeleteFiles(const std::string& dir, const NameList& list);

// Removes the reference value of every file of `list` below `baseDir`.
void DeleteSharedRefs(const std::string& baseDir, const RefList& list);

}  // namespace uninstall
