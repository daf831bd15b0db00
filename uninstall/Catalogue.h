// Everything the product leaves on a machine and everything the run needs to
// know to find and take it, as data: the programs it ends and starts, its
// files, folders and registry entries, the conditions on each, and the
// progress bar's steps each stands for. uninstall/Catalogue.cpp holds the
// rows; the walks over them (FileCatalogue, RegistryCatalogue, the Steps
// files) hold no name of the product's.
#pragma once

#include <cstddef>

namespace uninstall {

// ---- conditions ------------------------------------------------------------

// When a list or a row applies.
enum class When {
    Always,
    On64BitWindows,
    BeforeServices,   // Windows 98, Me and NT 4: the product runs as two programs
    WithServices,     // Windows 2000 and later: it runs as a service
    On9x,             // Windows 98 and Me
    NotOn9x,
    DriverFileFound,  // the filter driver's file was found in this run
    VendorRootEmpty,  // the vendor key opens and holds nothing else (asked when the row is reached)
};

// What the conditions ask of this run.
struct RowContext {
    bool is64BitWindows = false;
    int osClass = 0;  // as sysops::GetOsClass numbers it
    bool driverFileFound = false;
};

// Whether `when` holds in `context`. VendorRootEmpty is the registry walk's
// own question and is false here.
bool Holds(When when, const RowContext& context);

// A fixed list of names.
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

// Rows of one kind, walked in order.
template <typename Row>
struct Rows {
    const Row* rows;
    std::size_t count;
    const Row* begin() const { return rows; }
    const Row* end() const { return rows + count; }
};

template <typename Row, std::size_t N>
constexpr Rows<Row> MakeRows(const Row (&rows)[N])
{
    return Rows<Row>{rows, N};
}

// ---- programs -----------------------------------------------------------------

// Every running copy of a program, found by its executable's name.
struct ProcessRow {
    const char* image;
    When when;
    int steps;  // of the progress bar, once the row is reached
};

// The product's service, stopped and then deleted.
struct ServiceRow {
    const char* name;
    When when;
    int steps;
};

// A program of the card middleware that undoes a registration, started from
// the 32-bit system directory when `probe` lies there.
struct OutsideProgramRow {
    const char* probe;
    const char* program;
    const char* arguments;
    int steps;
};

// The product's identity component below the install directory and the
// export that uninstalls it.
struct IdentityComponentRow {
    const char* folder;
    const char* file;
    const char* exportOn9x;
    const char* exportElsewhere;
    int steps;
};

extern const Rows<ProcessRow> ProductProcesses;
extern const ServiceRow ProductService;
extern const Rows<ProcessRow> MiddlewareProcesses;
extern const Rows<OutsideProgramRow> OutsidePrograms;
extern const IdentityComponentRow IdentityComponent;

// ---- where the product lives ------------------------------------------------------

// The registry value that names the install directory (32-bit view).
extern const char kInstallDirKey[];
extern const char kInstallDirValue[];
// Where the install directory may be below the program-files directory, in
// the order they are tried.
extern const NameList InstallDirCandidates;

// An install directory the product's setups choose, and the part that names
// the vendor folder holding it.
struct VendorFolderRule {
    const char* ending;
    const char* cut;  // a backslash, then the product folder's name
};
extern const Rows<VendorFolderRule> VendorFolderRules;

// ---- files ------------------------------------------------------------------------

// The directory a list's names are relative to.
enum class FileBase {
    SystemDir32,      // SysWOW64 on 64-bit Windows, else system32 or system
    NativeSystemDir,  // the native system32 on 64-bit Windows, else the same as SystemDir32
    InstallDir,       // lists based on it are skipped when it is unknown or refused
};

// Files deleted from their base directory.
struct FileList {
    NameList names;
    FileBase base;
    When when;
    int steps;
};

// Shared-library reference values: one value per file under kSharedDllsKey,
// named by the file's full path "<base>\name", removed in the list's view.
struct RefList {
    NameList names;
    FileBase base;
    int view64;  // 1 the 64-bit view, 0 the 32-bit view (the same registry on 32-bit Windows)
    When when;
    int steps;
};

extern const char kSharedDllsKey[];

extern const FileList SystemFileSet32;
extern const FileList SystemFileSet64;
extern const FileList MiddlewareFileSet;

extern const RefList SharedRefList32;
extern const RefList InstallRefList;
extern const RefList SharedRefList64;
extern const RefList InstallRefList64;
extern const RefList MiddlewareRefList;

// An installer's cache folder, deleted whole when it is there (and, for a
// setup's, holds its log).
enum class CacheBase { ProgramFiles, WindowsInstaller };
struct CacheRow {
    CacheBase base;
    const char* folder;
    const char* marker;  // null: no file needed
    int steps;
};
extern const char kWindowsInstallerFolder[];
extern const Rows<CacheRow> InstallerCaches;

// Package B's cached installer database, named by a value of its records;
// only a database Windows Installer keeps in its own folder is deleted.
struct CachedPackageRow {
    const char* key;
    const char* value;
    const char* ending;
    int steps;
};
extern const CachedPackageRow CachedPackage;

// The all-users program menus: the English one below ALLUSERSPROFILE (below
// the Windows directory on 98 and Me), its Hebrew-named twin, and NT 4's.
extern const char kProgramsMenu[];
extern const char kHebrewProgramsMenu[];
extern const char kNt4ProgramsMenu[];

// What the product keeps in a menu, one row a step of the bar.
struct MenuRows {
    const char* productFolder;  // "menu\product"
    const char* vendorFolder;   // "menu\vendor\product", and "menu\vendor" once empty
    const char* const* startupFolders;  // "menu\startup\shortcut", the first that holds it
    std::size_t startupFolderCount;
    const char* startupShortcut;
    int findSteps;
    int productSteps;
    int vendorSteps;
    int startupSteps;
};
extern const MenuRows Menu;

// The smart-card filter driver, in the native system directory's drivers folder.
struct DriverRow {
    const char* folder;
    const char* file;
    When when;
    int steps;
};
extern const DriverRow FilterDriver;

// ---- registry ---------------------------------------------------------------------

// How a value row treats the value. Values that other products share lose
// only the product's part.
enum class ValueRule {
    Whole,        // the value goes
    DropEntry,    // a list of names: only `match` goes; the value goes once it is empty
    IfNamesFile,  // the value goes only when it names the file `match` (bare or with a path)
};

// A key (value == nullptr: the key and everything below it) or one value.
struct RegistryRow {
    const char* key;
    const char* value;
    int view64;  // 1 the 64-bit view, 0 the 32-bit view (the same registry on 32-bit Windows)
    When when = When::Always;
    ValueRule rule = ValueRule::Whole;
    const char* match = nullptr;
};

struct RegistryList {
    Rows<RegistryRow> rows;
    int steps;
    const RegistryRow* begin() const { return rows.begin(); }
    const RegistryRow* end() const { return rows.end(); }
};

extern const RegistryList DriverKeys;
extern const RegistryList VendorKeys;
extern const RegistryList CardProviderKeys;
extern const RegistryList CardProviderKeys64;
extern const RegistryList AppRegistrationKeys;
extern const RegistryList SetupPackageKeys;
extern const RegistryList UpgradeCodeKeys;
extern const RegistryList InstallerPackageKeys;
extern const RegistryList MiddlewareKeys;

// The Windows Installer records found by scanning: package A's per-user
// records, and the folder entries of the install directory, the menus and
// package B.
struct InstallerScans {
    const char* packageAPacked;
    int userDataSteps;
    const char* foldersKey;
    const char* packageBCode;
    int folderSteps;
};
extern const InstallerScans Installer;

// ---- the progress bar ---------------------------------------------------------------

// Steps that belong to stages rather than rows.
struct StageSteps {
    int windowsDirectory;
    int systemDirectories;
    int installDirValue;
    int programFilesDirectory;
    int perRejectedProgramFilesCandidate;
    int installDirectory;
    int installTree;
};
extern const StageSteps Stages;

// The steps a run on a machine like `context` makes up to the shared-library
// references (the "Delete" box of /debug), with every location found at the
// first try and no installer folder entries to look at.
int StepsBeforeReferences(const RowContext& context);

}  // namespace uninstall
