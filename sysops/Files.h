// Removing files and whole directory trees. On the NT family every file and
// folder is opened as itself, from the handle of the folder holding it, and
// removed through its own handle; nothing waits for another program's lock.
#pragma once

namespace sysops {

class FolderChain;

// With a name: clears the attributes of "dir\name" and deletes that file;
// non-zero on success. Without (null): deletes everything below dir, then
// dir itself; 0 as soon as anything cannot be deleted (what came before it
// stays deleted, the rest stays) or when dir cannot be searched. A link
// (junction or symbolic link), dir itself or anything inside the tree, is
// removed as a link: what it points to is never entered. On the NT family
// names are read and deleted exactly as stored, and each folder being worked
// in is held open so that it cannot be swapped for a link meanwhile; on 9x
// the walk stops at a name the code page cannot hold. A path too long for
// the 1024-byte (on NT, 1024-character) buffer it is composed in is not
// touched.
int DeleteFileOrTree(const char* dir, const char* name);

// A folder that still has entries after this many of them went (one that
// gains them as fast as they go) stops the walk: 0, with
// ERROR_NOT_ENOUGH_QUOTA.
constexpr unsigned long kMaxEntriesOfOneFolder = 100000;

// Deletes the tree whose folder `chain` holds, as DeleteFileOrTree does,
// once it has checked through the chain that every folder on the way is
// still the one that was held and none is a link: 0 with ERROR_FILE_INVALID
// when one is not, touching nothing. The tree's own folder is let go of just
// before it is removed; the folders above it stay held.
int DeleteHeldTree(FolderChain& chain);

// Deletes the file `name` in the folder `chain` holds, through the folder's
// handle (on 9x by its path), as DeleteFileAtPath does; non-zero on success.
int DeleteFileIn(const FolderChain& chain, const char* name);

// Deletes the file `path`, clearing a read-only attribute first (and putting
// it back on the file's other names, hard links, when it has any); non-zero
// on success. A file that cannot be deleted keeps its attributes.
int DeleteFileAtPath(const char* path);

// Removes the directory `path` only when it is empty; non-zero on success.
int RemoveEmptyDirectory(const char* path);

}  // namespace sysops
