// What a path names rather than how it is spelt. One folder has many
// spellings (short names, other letter case, a substituted drive, a mount
// point, a link); a decision about a folder must not depend on the one it
// was given.
#pragma once

#include <string>

namespace sysops {

// GetFullPathNameA's form of `path` with the long name of every component
// that exists (GetLongPathNameA, where this Windows has it; NT 4 does not).
// False when either call fails on what exists, or when the result does not
// fit 512 bytes.
bool CanonicalPath(const std::string& path, std::string& canonical);

bool ExistsAtPath(const std::string& path);
// Whether `path` is itself a junction, symbolic link or mount point.
bool IsReparsePoint(const std::string& path);

// Two paths name the same file or folder exactly when these are equal.
struct FileIdentity {
    unsigned long volumeSerial;
    unsigned long indexHigh;
    unsigned long indexLow;
};

inline bool operator==(const FileIdentity& a, const FileIdentity& b)
{
    return a.volumeSerial == b.volumeSerial && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

// The identity of what `path` names, links followed. False when it cannot be
// opened, and always on 9x, where folders cannot be opened at all.
bool ReadFileIdentity(const std::string& path, FileIdentity& identity);

// Whether this is Windows NT, 2000 or later rather than 95, 98 or Me.
bool IsNtFamily();

}  // namespace sysops
