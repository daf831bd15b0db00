// Files and folders through handles, on the NT family. A name is opened
// relative to the handle of the folder that holds it, never as a path from
// a drive's root again: what a folder's handle holds is what is acted on,
// whatever was renamed or linked meanwhile. Nothing here waits for another
// program's opportunistic lock, which anybody may take on a file of their
// own to stop the run for good: such a file counts as in use.
#pragma once

#include "sysops/Handles.h"
#include "sysops/PathIdentity.h"
#include "sysops/Result.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace sysops {

// A name of the walk's own width, not terminated.
struct NativeName {
    const wchar_t* text;
    std::size_t length;
};

enum class NativeKind {
    Folder,  // opened as a folder, for listing
    File,    // opened as a file
    Either,
};

// Whether this Windows offers the native calls (the NT family does).
bool HasNativeFiles();

// Opens `name` below `parent` as itself (a link as the link), or with a null
// parent the whole path `name` ("\??\C:\..."), with `access` (SYNCHRONIZE
// added) and `sharing`.
Result OpenNative(HANDLE parent, NativeName name, NativeKind kind, DWORD access, DWORD sharing, UniqueFile& file);

// Opens the file at `path` (a whole "\??\..." path) as itself, or creates it
// when `create` and it is not there, with `access` and `sharing`;
// ERROR_ALREADY_EXISTS when creating finds one there.
Result OpenNativeFileAt(NativeName path, bool create, DWORD access, DWORD sharing, UniqueFile& file);

// Opens the file `name` below `parent` (or the whole path, with a null
// parent) as itself, to be deleted when the handle closes: one call and a
// close delete a file that is not read-only; a read-only file fails with
// ERROR_ACCESS_DENIED. Nobody else may have it open (ERROR_SHARING_VIOLATION
// otherwise): no lock anybody holds on it can then make the deletion wait.
Result OpenNativeToDelete(HANDLE parent, NativeName name, UniqueFile& file);

// The same for a file whose attributes are to change first: opened as
// itself, alone, with the rights to read and write them and to delete it.
Result OpenNativeAlone(HANDLE parent, NativeName name, NativeKind kind, UniqueFile& file);

// Opens the folder (or, with NativeKind::Either, whatever stands there)
// `name` below `parent` as itself and alone, to be emptied and removed
// through the handle: listing it, reading its attributes and who may change
// it, and deleting it where that is granted (`mayDelete`). Held so, nobody
// can rename or replace it, and no lock anybody holds on it can make its
// deletion wait.
Result OpenFolderAlone(HANDLE parent, NativeName name, NativeKind kind, UniqueFile& folder, bool& mayDelete);

// What an open handle holds, as GetFileInformationByHandle tells it.
struct OpenedFile {
    FileIdentity identity;
    DWORD attributes;
    DWORD links;
};
bool ReadOpened(HANDLE file, OpenedFile& info);
// Only the attributes: the walk asks this of every folder, and the volume's
// serial number that GetFileInformationByHandle reads too is costly to get.
bool ReadNativeAttributes(HANDLE file, DWORD& attributes);

// Marks the empty folder `name` below `parent` for deletion when it is still
// `expected`: opened as itself, alone (as OpenNativeToDelete opens files),
// and held in `folder`, to go when that is let go of. ERROR_FILE_INVALID
// when something else stands there now, touching nothing;
// ERROR_DIR_NOT_EMPTY when entries came meanwhile, `folder` then still
// holding it, alone, to be listed again.
Result MarkEmptyFolder(HANDLE parent, NativeName name, const FileIdentity& expected, UniqueFile& folder);

// The same, following a link at `name` to what it names.
Result OpenNativeFollowing(HANDLE parent, NativeName name, DWORD access, DWORD sharing, UniqueFile& file);

// ANSI text in the native calls' width, without a terminator; false for
// text that does not convert, or is empty.
bool NativeText(const std::string& text, std::vector<wchar_t>& out);
// The same for a whole path, with "\??\" in front.
bool NativePath(const std::string& path, std::vector<wchar_t>& out);

inline NativeName NameOf(const std::vector<wchar_t>& text)
{
    return NativeName{text.data(), text.size()};
}

// One entry of a folder as a listing gives it.
struct NativeEntry {
    NativeName name;
    DWORD attributes;
};

// Lists the folder held by `folder` (opened with FILE_LIST_DIRECTORY), in
// batches, as the file system orders it.
class NativeListing {
public:
    explicit NativeListing(HANDLE folder) : folder_(folder) {}
    // The next entry, "." and ".." included; false at the end or on a
    // failure, Error() telling which (ERROR_NO_MORE_FILES at the end, also
    // for a folder without even "." and "..", such as a FAT drive's root).
    bool Next(NativeEntry& entry);
    DWORD Error() const { return error_; }

private:
    bool Fill();

    HANDLE folder_;
    std::vector<ULONGLONG> buffer_;  // aligned for the records
    std::size_t offset_ = 0;
    bool filled_ = false;
    bool restart_ = true;
    DWORD error_ = ERROR_SUCCESS;
};

// Marks what `file` holds (opened with DELETE) for deletion when its last
// handle closes: a file, an empty folder, or a link itself.
Result MarkForDeletion(HANDLE file);

// Gives what `file` holds (opened with FILE_WRITE_ATTRIBUTES) these
// attributes, whatever name it was reached by.
Result SetNativeAttributes(HANDLE file, DWORD attributes);

}  // namespace sysops
