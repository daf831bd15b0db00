// Removing files and whole directory trees.
#pragma once

namespace sysops {

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

class FolderChain;

// Deletes the tree whose folder `chain` holds, as DeleteFileOrTree does,
// once it has checked through the chain that every folder on the way is
// still the one that was held and none is a link: 0 with ERROR_FILE_INVALID
// when one is not, touching nothing. The tree's own folder is let go of just
// before it is removed; the folders above it stay held.
int DeleteHeldTree(FolderChain& chain);

// Clears the attributes of the file `path` and deletes it; non-zero on success.
int DeleteFileAtPath(const char* path);

// Removes the directory `path` only when it is empty; non-zero on success.
int RemoveEmptyDirectory(const char* path);

}  // namespace sysops
