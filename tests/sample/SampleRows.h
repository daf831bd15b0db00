// The row types of the sample's tables. Each row is one item: where it is,
// what Plant puts there, on which machines it exists, and what a completed
// uninstall run must leave of it.
#pragma once

#include "sample/Sample.h"

#include <cstddef>

namespace sample {

// On which machines and variants a row exists.
enum class When : unsigned char {
    Always,
    Win64,           // 64-bit Windows only
    Win64OtherView,  // 64-bit Windows, where the two views keep separate copies of the key
    Neighbours,      // other products share the product's places
    Alone,           // they do not
    RegistryForm,    // the install directory is named by "MorvDir"
    GinaBare,
    GinaPath,
    GinaOther,
    ServiceClass,  // Windows 2000 and later: the product runs as a service
    ProcessClass,  // 98, Me and NT 4: it runs as two programs
    NineX,         // 98 and Me
    NotNineX,
};

// What a completed run must leave.
enum class Fate : unsigned char {
    Gone,
    Stays,
    DriverStep,  // gone on Windows 2000 and later; earlier ones have no driver step
    Appears,     // a mark the run's outside programs leave
};

// The directories that file rows are relative to.
enum class Base : unsigned char {
    Windows,
    System32,      // the 32-bit system directory (SysWOW64 on 64-bit Windows)
    System64,      // the native system32 of 64-bit Windows
    Drivers,       // the native drivers folder
    ProgramFiles,  // as a 32-bit program sees it
    Install,       // <program files>\TQM\Morvane
    Menu,          // the all-users program menu of the variant's Windows
    RefList32,     // the base of the 32-bit reference list: the native system32 on 64-bit Windows
};

// Registry views as the catalogue numbers them: 0 the 32-bit view, 1 the
// 64-bit view, on 64-bit Windows; the one registry on 32-bit Windows.
enum class View : unsigned char { V0, V1 };

// Who writes a row: the sample, or Windows Installer when package B's real
// database is installed (the sample writes such rows itself without it).
enum class Source : unsigned char { Sample, PackageB };

enum class Attr : unsigned char { Normal, ReadOnly, Hidden, ReadOnlyHidden };

enum class Content : unsigned char {
    Text,      // a few bytes naming the file
    Existing,  // the system's own file: only looked at
    Identity,  // the test identity component
    ApiCore,   // the test COM server
    Monitor,   // the test scmon.exe
    CachedPackage,  // package B's cached database: msiexec's file, or a stand-in
};

struct FileRow {
    Base base;
    const char* path;
    Attr attr;
    Content content;
    Fate fate;
    When when;
    Source source;
};

// Tree: Remove takes the folder with everything in it. IfEmpty: a parent,
// removed only once nothing is left in it.
enum class Removal : unsigned char { Tree, IfEmpty };

struct FolderRow {
    Base base;
    const char* path;
    Removal removal;
    Fate fate;
    When when;
    Source source;
};

// Filled: the key gets a value and a subkey with a value, so that only a
// whole-tree deletion takes it. Bare: just the key; what it holds comes from
// other rows, or it must stay empty.
enum class Fill : unsigned char { Filled, Bare };

struct KeyRow {
    const char* key;
    View view;
    Fill fill;
    Fate fate;
    When when;
    Source source;
};

// How a value's string is made: the text alone, or a directory followed by it.
enum class DataFrom : unsigned char { Text, InstallDir, WindowsDir };

struct ValueRow {
    const char* key;
    const char* name;
    DataFrom from;
    const char* data;
    View view;
    Fate fate;
    When when;
    Source source;
};

// A value named by a path: a shared-library reference or an installer folder.
struct PathValueRow {
    Base base;
    const char* tail;  // joined to the base directory with a backslash
    View view;
    Fate fate;
    When when;
};

// One name in a multi-string value.
struct EntryRow {
    const char* key;
    const char* name;
    const char* entry;
    View view;
    Fate fate;
    When when;
};

// A program started from the sample's own folder under this image name.
struct ProcessRow {
    const char* image;
    Fate fate;
    When when;
};

struct ServiceRow {
    const char* name;
    const char* image;  // the service program's file name
    Fate fate;
    When when;
};

enum class Match : unsigned char {
    OnlyLine,   // the mark holds this one line and nothing else
    AnyLine,    // one of its lines is this
    Arguments,  // one of its lines is a command line with exactly these arguments
};

struct MarkRow {
    const char* file;  // in kMarksDir
    const char* text;
    Match match;
    const char* what;  // how the report names it
    When when;
};

template <typename Row>
struct Table {
    const Row* rows;
    std::size_t count;
    const Row* begin() const { return rows; }
    const Row* end() const { return rows + count; }
};

Table<FileRow> Files();
Table<FolderRow> Folders();
Table<KeyRow> Keys();
Table<ValueRow> Values();
Table<PathValueRow> SharedReferences();  // under kSharedDlls, each a count of 1
Table<PathValueRow> InstallerFolders();  // under kInstallerFolders, each an empty string
Table<EntryRow> Entries();
Table<ProcessRow> Processes();
Table<ServiceRow> Services();
Table<MarkRow> Marks();

extern const char kSharedDlls[];
extern const char kInstallerFolders[];
extern const char kPackageBCode[];
// Package B's installed-product key, where its "LocalPackage" value is.
extern const char kPackageBProperties[];
// Where package B's real database is installed, under the install directory.
extern const char kPackageBFolder[];

}  // namespace sample
