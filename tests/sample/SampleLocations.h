// Where the sample's items lie on this machine for a variant: the
// directories the uninstaller finds the same way, read from the same
// environment.
#pragma once

#include "sample/SampleRows.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sample {

struct Locations {
    std::string windows;
    std::string system32;  // SysWOW64 on 64-bit Windows
    std::string system64;  // the native system32; empty on 32-bit Windows
    std::string drivers;   // the native drivers folder
    std::string programFiles;
    std::string install;
    std::string menu;

    const std::string& Of(Base base) const;
};

// The access flag of a catalogue view: none on 32-bit Windows.
REGSAM ViewFlag(View view, bool win64);

// False, with `error` saying why, when a directory cannot be told (an
// unset WINDIR, PROGRAMFILES or ALLUSERSPROFILE).
bool FindLocations(const Variant& variant, Locations& where, std::string& error);

// Whether a base lies in the native system32 of 64-bit Windows, which a
// 32-bit program reaches only with file-system redirection turned off.
bool IsNative(Base base, const Variant& variant);

// dir + "\" + tail; an empty tail leaves the trailing backslash.
std::string Join(const std::string& dir, const char* tail);

// A file row's full path. Package B's cached database is msiexec's own
// file (`localPackage`) when the real package is installed.
std::string FilePath(const FileRow& row, const Locations& where, const std::string& localPackage);
std::string FolderPath(const FolderRow& row, const Locations& where);
// The name of a value named by a path.
std::string PathValueName(const PathValueRow& row, const Locations& where);
// The string a value row holds.
std::string ValueData(const ValueRow& row, const Locations& where);

// Whether two names are the same, regardless of case, as Windows compares them.
bool SameText(const std::string& a, const std::string& b);

// The names the list value of an entry row holds in `view`, and whether the
// row's own entry is among them.
bool ReadEntries(const EntryRow& row, REGSAM view, std::vector<std::string>& entries);

}  // namespace sample
