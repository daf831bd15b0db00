// What kind of Windows this is, and whether a file or directory is there.
// Nothing is cached: every call asks the system again.
#pragma once

#include <windows.h>

namespace sysops {

// Windows version classes. Callers compare by number (2, 3 or 4; 5 or higher).
enum : int {
    OSCLASS_UNKNOWN = 0,
    OSCLASS_WIN95 = 1,
    OSCLASS_WIN98 = 2,
    OSCLASS_WINME = 3,
    OSCLASS_NT4 = 4,
    OSCLASS_WIN2000 = 5,
    OSCLASS_WINXP = 6,
    OSCLASS_WIN2003 = 7,
    OSCLASS_VISTA = 8,
    OSCLASS_WIN2008 = 9,
    OSCLASS_WIN2008R2 = 10,
    OSCLASS_WIN7 = 11,
    OSCLASS_WIN8 = 12,
};

// The version class of the running Windows, OSCLASS_UNKNOWN when the version
// cannot be read or is not one this program knows.
int GetOsClass();

// The same, reading the version through `readVersion` (GetVersionExA's form).
// Lets a caller see how a system that refuses the extended record is sorted.
using VersionReader = BOOL(WINAPI*)(LPOSVERSIONINFOA);
int GetOsClassWith(VersionReader readVersion);

// Sorts one version record; fields a plain (148-byte) read leaves untouched
// must be zero.
int ClassifyVersion(const OSVERSIONINFOEXA& info);

// Whether "%WINDIR%\SysWOW64" exists (as a directory or a file); false when
// WINDIR is unset or too long for the program's path buffers. A run asks
// once and keeps the answer.
bool Is64BitWindows();

// Whether "dir\name" is found. The name "." asks whether dir is an existing
// directory. A null name, or a path too long for the 1024-byte buffer the
// program composes it in, gives false without touching the disk.
bool FileExists(const char* dir, const char* name);

}  // namespace sysops
