// Who could have changed a file or folder. Code the program runs with its
// own rights (an administrator's, or SYSTEM's) must come from where nobody
// but administrators could have put it.
#pragma once

#include <windows.h>

#include <string>

namespace sysops {

// Whether the volume of the drive `root` ("C:\") keeps owners and access
// lists (NTFS does, FAT does not); false on the 9x family.
bool KeepsAccessLists(const std::string& root);

// What may be done to a folder by accounts other than the trusted ones.
enum class Adding {
    Refused,  // nothing that changes it or what it holds
    Allowed,  // creating new entries in it (a drive's root: names already taken stay taken)
};

// Whether the file or folder `handle` (opened with READ_CONTROL) is owned by
// Administrators, SYSTEM, TrustedInstaller or the account running this
// program, and its access list grants no other account the right to write
// or append to it, to add files or folders, to delete it or what it holds,
// or to change its access list or owner. Entries that only pass on to new
// children do not count. False when any of this cannot be read.
bool OnlyAdministratorsMayChange(HANDLE handle, Adding adding);

// Whether the file, folder or link `handle` (opened with READ_CONTROL)
// belongs to Administrators, SYSTEM, TrustedInstaller or the account running
// this program: whether one of them made it.
bool OwnedByAdministrators(HANDLE handle);

}  // namespace sysops
