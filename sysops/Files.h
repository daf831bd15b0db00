// Removing files and whole directory trees. On the NT family every file and
// folder is opened as itself, from the handle of the folder holding it, and
// removed through its own handle; nothing waits for another program's lock.
#pragma once

#include "sysops/Result.h"

namespace sysops {

class FolderChain;

// A folder that still has entries after this many of them went (one that
// gains them as fast as they go), one that lies deeper than kMaxFolderDepth
// below the tree's root, or a tree past kMaxEntriesOfOneTree entries in
// all, stops the walk with ERROR_NOT_ENOUGH_QUOTA.
constexpr unsigned long kMaxEntriesOfOneFolder = 100000;
constexpr int kMaxFolderDepth = 256;
constexpr unsigned long kMaxEntriesOfOneTree = 1000000;

// What becomes of a file that cannot be deleted because it is in use
// (IsInUse): its deletion fails, or it is left to Windows to delete at the
// next restart (a deletion that then says Scheduled()). A name left for the
// restart must still name the same file then: only a file that nobody but
// administrators could have put where it is, nor swapped for a link since,
// qualifies, and a system folder always does.
enum class InUse {
    Stays,
    GoesAtRestartIfOnlyAdministrators,  // the file and every folder above it are only theirs
    GoesAtRestart,                      // a system folder's file
};

// With a name: deletes the file "dir\name". Without (null): deletes
// everything below dir, then dir itself; fails as soon as anything cannot be
// deleted (what came before it stays deleted, the rest stays) or when dir
// cannot be listed. On the NT family a file or folder somebody else has open
// cannot be deleted (ERROR_SHARING_VIOLATION): nothing waits for the lock
// another program may hold on it. A link (junction or symbolic link), dir itself or
// anything inside the tree, is removed as a link: what it points to is never
// entered. On the NT family names are read and deleted exactly as stored; on
// 9x the walk stops at a name the code page cannot hold. A path too long for
// the 1024-byte (on NT, 1024-character) buffer it is composed in is not
// touched.
Result DeleteFileOrTree(const char* dir, const char* name);

// Deletes the tree whose folder `chain` holds, as DeleteFileOrTree does,
// once it has checked through the chain that every folder on the way is
// still the one that was held and none is a link (ERROR_FILE_INVALID when
// one is not, touching nothing). The tree's own folder is let go of and
// opened again from its parent to be removed; the folders above it stay
// held. A file in use that goes at the restart (`inUse`) does not stop the
// walk: the folders that hold it, up to the tree's own, go at the restart
// after it, and the tree's deletion then says Scheduled().
Result DeleteHeldTree(FolderChain& chain, InUse inUse = InUse::Stays);

// Deletes the file `name` in the folder `chain` holds, through the folder's
// handle (on 9x by its path), as DeleteFileAtPath does.
Result DeleteFileIn(const FolderChain& chain, const char* name, InUse inUse = InUse::Stays);

// Deletes the file `path`, clearing a read-only attribute first (and putting
// it back for the file's other names, hard links, when it has any). A file
// that cannot be deleted keeps its attributes.
Result DeleteFileAtPath(const char* path, InUse inUse = InUse::Stays);

}  // namespace sysops
