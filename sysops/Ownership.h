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

// What an object is, for which of its rights would let others change it.
enum class ObjectKind {
    File,
    Folder,
    DriveRoot,    // creating new entries in it changes nothing on the way to what exists
    RegistryKey,
};

// Whether the object `handle` (opened with READ_CONTROL) is owned by
// Administrators, SYSTEM, TrustedInstaller or the account running this
// program, and its access list grants no other account the right to change
// it or what it holds: to write or append to it or its attributes, to add
// entries (files, folders, values, subkeys, links), to delete it or what it
// holds, or to change its access list or owner. Entries that only pass on
// to new children do not count. False when any of this cannot be read, and
// when there is no access list at all (everybody may do everything).
bool OnlyAdministratorsMayChange(HANDLE handle, ObjectKind kind);

// Whether this program runs as the local SYSTEM account (as deployment
// tools start it); false on the 9x family.
bool RunsAsSystem();

// Whether the file, folder or link `handle` (opened with READ_CONTROL)
// belongs to Administrators, SYSTEM, TrustedInstaller or the account running
// this program: whether one of them made it.
bool OwnedByAdministrators(HANDLE handle);

}  // namespace sysops
