#include "sysops/Files.h"

#include "sysops/FolderChain.h"
#include "sysops/Handles.h"
#include "sysops/NativeFiles.h"
#include "sysops/PathText.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace sysops {
namespace {

// ---- the NT family: through handles ----------------------------------------
//
// Each folder is opened from its parent's handle, as itself, and worked on
// through its own handle: a name renamed, or a folder made a link, after it
// was looked at leads nowhere else.

constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | DELETE;
// Nobody may rename or delete a folder being emptied.
constexpr DWORD kFolderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

DWORD AttributesOf(HANDLE handle, DWORD& links)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return INVALID_FILE_ATTRIBUTES;
    links = info.nNumberOfLinks;
    return info.dwFileAttributes;
}

bool Failed(DWORD error)
{
    SetLastError(error);
    return false;
}

// Deletes the file `name` below `parent` (or the whole path, with no
// parent). Deleting refuses a read-only file, so its read-only attribute
// goes first, through the handle, and only then. Attributes belong to the
// file, not to one of its names: when it has other names (hard links),
// they keep what it had.
bool DeleteFileThrough(HANDLE parent, NativeName name)
{
    UniqueFile file;
    DWORD error = OpenNativeToDelete(parent, name, file);
    if (error == ERROR_SUCCESS)
        return file.Reset() != FALSE || Failed(GetLastError());
    if (error != ERROR_ACCESS_DENIED)
        return Failed(error);
    error = OpenNative(parent, name, NativeKind::File, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, file);
    DWORD links = 1;
    const DWORD before = error == ERROR_SUCCESS ? AttributesOf(file.Get(), links) : INVALID_FILE_ATTRIBUTES;
    if (error != ERROR_SUCCESS || before == INVALID_FILE_ATTRIBUTES || (before & FILE_ATTRIBUTE_READONLY) == 0)
        return Failed(error != ERROR_SUCCESS ? error : ERROR_ACCESS_DENIED);
    error = SetNativeAttributes(file.Get(), before & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (error == ERROR_SUCCESS)
        error = MarkForDeletion(file.Get());
    if (error != ERROR_SUCCESS || links > 1)
        SetNativeAttributes(file.Get(), before);
    return error == ERROR_SUCCESS || Failed(error);
}

// A folder to be emptied and removed; one that may not be removed is
// still emptied, and then stays.
DWORD OpenToEmpty(HANDLE parent, NativeName name, NativeKind kind, UniqueFile& folder)
{
    const DWORD error = OpenNative(parent, name, kind, kFolderAccess, kFolderSharing, folder);
    if (error != ERROR_ACCESS_DENIED)
        return error;
    return OpenNative(parent, name, kind, kFolderAccess & ~static_cast<DWORD>(DELETE), kFolderSharing, folder);
}

struct NativeFs {
    using Entry = NativeEntry;

    struct Folder {
        UniqueFile handle;
    };

    class Listing {
    public:
        explicit Listing(const Folder& folder) : listing_(folder.handle.Get()) {}
        bool Next(Entry& entry) { return listing_.Next(entry); }
        bool Ended() const { return listing_.Error() == ERROR_NO_MORE_FILES; }
        DWORD Error() const { return listing_.Error(); }
        void Close() {}

    private:
        NativeListing listing_;
    };

    static bool IsSelfOrParent(const Entry& entry)
    {
        const wchar_t* name = entry.name.text;
        return (entry.name.length == 1 && name[0] == L'.') ||
               (entry.name.length == 2 && name[0] == L'.' && name[1] == L'.');
    }
    static DWORD Attributes(const Entry& entry) { return entry.attributes; }

    // Opens a folder found in `parent` as itself. `isLink`: what stands
    // there now is a link (swapped in since the listing), to go as the link.
    static bool OpenFolder(const Folder& parent, const Entry& entry, Folder& child, bool& isLink)
    {
        const DWORD error = OpenToEmpty(parent.handle.Get(), entry.name, NativeKind::Folder, child.handle);
        DWORD links = 1;
        const DWORD attributes = error == ERROR_SUCCESS ? AttributesOf(child.handle.Get(), links) : 0;
        isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        return (error == ERROR_SUCCESS && attributes != INVALID_FILE_ATTRIBUTES) || Failed(error);
    }

    // A link goes as the link: opened as itself, it is what is deleted.
    static bool RemoveLink(const Folder& parent, const Entry& entry)
    {
        UniqueFile link;
        const DWORD error = OpenNative(parent.handle.Get(), entry.name, NativeKind::Either,
                                       DELETE | FILE_READ_ATTRIBUTES, kFolderSharing, link);
        return error == ERROR_SUCCESS ? RemoveOpenedLink(link) : Failed(error);
    }

    static bool RemoveOpenedLink(UniqueFile& link)
    {
        DWORD links = 1;
        if ((AttributesOf(link.Get(), links) & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            return Failed(ERROR_FILE_INVALID);  // no longer a link
        const DWORD error = MarkForDeletion(link.Get());
        link.Reset();
        return error == ERROR_SUCCESS || Failed(error);
    }

    static bool DeleteEntryFile(const Folder& parent, const Entry& entry)
    {
        return DeleteFileThrough(parent.handle.Get(), entry.name);
    }

    // The emptied folder goes through its own handle: it is the folder that
    // was emptied, whatever its name leads to now.
    static bool RemoveFolder(Folder& folder)
    {
        const DWORD error = MarkForDeletion(folder.handle.Get());
        folder.handle.Reset();
        return error == ERROR_SUCCESS || Failed(error);
    }
};

// ---- the 9x family: by name -------------------------------------------------
//
// Folders cannot be opened there, and there are no links, hard links or
// other accounts to fear.

struct AnsiFs {
    using Entry = WIN32_FIND_DATAA;

    struct Folder {
        std::string path;
    };

    class Listing {
    public:
        explicit Listing(const Folder& folder)
        {
            std::string pattern;
            if (AppendText(folder.path, "\\*.*", pattern, kFilePathBufferSize))
                search_.Reset(FindFirstFileA(pattern.c_str(), &first_));
            error_ = search_ ? ERROR_SUCCESS : GetLastError();
        }
        bool Next(Entry& entry)
        {
            if (!search_)
                return false;
            if (!started_) {
                started_ = true;
                entry = first_;
                return true;
            }
            if (FindNextFileA(search_.Get(), &entry))
                return true;
            error_ = GetLastError();
            return false;
        }
        bool Ended() const { return started_ && error_ == ERROR_NO_MORE_FILES; }
        DWORD Error() const { return error_; }
        // An open search on a folder would keep it from being removed.
        void Close() { search_.Reset(); }

    private:
        UniqueFindHandle search_;
        Entry first_;
        bool started_ = false;
        DWORD error_;
    };

    static bool IsSelfOrParent(const Entry& entry)
    {
        return std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0;
    }
    static DWORD Attributes(const Entry& entry) { return entry.dwFileAttributes; }

    // An ANSI search gives '?' for a letter the code page lacks, and a
    // best-fit '\' or '/' for some that look alike: such a name would
    // compose a path to something else, a wildcard, or a path outside the tree.
    static bool PathOf(const Folder& parent, const Entry& entry, std::string& path)
    {
        return (std::strpbrk(entry.cFileName, "\\/:*?") == nullptr &&
                JoinPath(parent.path, entry.cFileName, path, kFilePathBufferSize)) ||
               Failed(ERROR_INVALID_NAME);
    }

    static bool OpenFolder(const Folder& parent, const Entry& entry, Folder& child, bool& isLink)
    {
        isLink = false;
        return PathOf(parent, entry, child.path);
    }

    static bool RemoveLink(const Folder& parent, const Entry& entry)
    {
        std::string path;
        if (!PathOf(parent, entry, path))
            return false;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return RemoveDirectoryA(path.c_str()) != FALSE;
        return DeleteFileA(path.c_str()) != FALSE;
    }

    static bool DeleteEntryFile(const Folder& parent, const Entry& entry)
    {
        std::string path;
        return PathOf(parent, entry, path) && DeleteFileAtPath(path.c_str()) != 0;
    }

    static bool RemoveFolder(Folder& folder) { return RemoveDirectoryA(folder.path.c_str()) != FALSE; }
};

// ---- the walk, once for both -------------------------------------------------

// A folder nested deeper than this is given up: no path to the product's
// files is that long, and every level holds a folder open.
constexpr int kMaxFolderDepth = 256;

// Everything below a folder in listing order, then the folder. The first
// entry that cannot go stops the walk: what follows it stays, and so do the
// folders above it. A folder that gains entries as fast as they go is given
// up after the bound.
template <typename Fs>
bool EmptyAndRemove(typename Fs::Folder& folder, int depth)
{
    if (depth > kMaxFolderDepth)
        return Failed(ERROR_NOT_ENOUGH_QUOTA);
    typename Fs::Listing listing(folder);
    typename Fs::Entry entry;
    unsigned long seen = 0;
    while (listing.Next(entry)) {
        if (Fs::IsSelfOrParent(entry))
            continue;
        if (++seen > kMaxEntriesOfOneFolder)
            return Failed(ERROR_NOT_ENOUGH_QUOTA);
        const DWORD attributes = Fs::Attributes(entry);
        bool gone = false;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            gone = Fs::RemoveLink(folder, entry);
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            typename Fs::Folder child;
            bool isLink = false;
            gone = Fs::OpenFolder(folder, entry, child, isLink) &&
                   (isLink ? Fs::RemoveLink(folder, entry) : EmptyAndRemove<Fs>(child, depth + 1));
        } else {
            gone = Fs::DeleteEntryFile(folder, entry);
        }
        if (!gone)
            return false;
    }
    if (!listing.Ended())
        return Failed(listing.Error());
    listing.Close();
    return Fs::RemoveFolder(folder);
}

// A folder the caller holds already (its handle opened as itself, with the
// right to delete it), or on 9x named by its path.
bool DeleteHeldFolder(UniqueFile held, const std::string& path)
{
    if (!HasNativeFiles()) {
        AnsiFs::Folder folder{path};
        return EmptyAndRemove<AnsiFs>(folder, 0);
    }
    NativeFs::Folder folder{std::move(held)};
    DWORD links = 1;
    const DWORD attributes = folder.handle ? AttributesOf(folder.handle.Get(), links) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Failed(ERROR_PATH_NOT_FOUND);
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return NativeFs::RemoveOpenedLink(folder.handle);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return Failed(ERROR_DIRECTORY);
    return EmptyAndRemove<NativeFs>(folder, 0);
}

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos || slash < 2 ? std::string() : path.substr(0, slash + (slash == 2 ? 1 : 0));
}

// A tree named by its path: the folders above it are held, and the tree's
// own folder is opened from its parent as itself. When that is a link, only
// the link goes.
bool DeleteTreeAtPath(const std::string& dir)
{
    if (!HasNativeFiles())
        return DeleteHeldFolder(UniqueFile(), dir);
    // Some file systems (Wine's Unix links) open a link as its target; its
    // name's attributes still show the link.
    const DWORD named = GetFileAttributesA(dir.c_str());
    const bool namedLink = named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    FolderChain parent;
    std::vector<wchar_t> name;
    const std::string parentPath = ParentOf(dir);
    if (parentPath.empty() || parent.Hold(parentPath) != ChainState::Held || parent.Depth() == 0 ||
        !NativeText(dir.substr(parentPath.size() + (parentPath.size() == 3 ? 0 : 1)), name))
        return Failed(ERROR_PATH_NOT_FOUND);
    UniqueFile folder;
    const DWORD error = OpenToEmpty(parent.Handle(parent.Depth() - 1), NameOf(name), NativeKind::Either, folder);
    if (error != ERROR_SUCCESS)
        return Failed(error);
    if (namedLink)
        return NativeFs::RemoveOpenedLink(folder);
    return DeleteHeldFolder(std::move(folder), dir);
}

}  // namespace

int DeleteHeldTree(FolderChain& chain)
{
    if (chain.State() != ChainState::Held || !chain.StillHeld()) {
        SetLastError(chain.State() == ChainState::Missing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_INVALID);
        return 0;
    }
    UniqueFile folder;
    const DWORD error = chain.TakeDeepest(folder);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return 0;
    }
    return DeleteHeldFolder(std::move(folder), chain.Path()) ? 1 : 0;
}

int DeleteFileIn(const FolderChain& chain, const char* name)
{
    std::string path;
    std::vector<wchar_t> wide;
    if (chain.State() != ChainState::Held || !JoinPath(chain.Path(), name, path, kFilePathBufferSize)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (!HasNativeFiles() || chain.Depth() == 0)
        return DeleteFileAtPath(path.c_str());
    if (!NativeText(name, wide)) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    return DeleteFileThrough(chain.Handle(chain.Depth() - 1), NameOf(wide)) ? 1 : 0;
}

int DeleteFileAtPath(const char* path)
{
    std::vector<wchar_t> wide;
    if (HasNativeFiles())
        return NativePath(path, wide) && DeleteFileThrough(nullptr, NameOf(wide)) ? 1 : 0;
    // 9x: read-only goes first, and comes back when the file stays.
    const DWORD before = GetFileAttributesA(path);
    if (before != INVALID_FILE_ATTRIBUTES && (before & FILE_ATTRIBUTE_READONLY) == 0 && DeleteFileA(path))
        return 1;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path))
        return 1;
    const DWORD error = GetLastError();
    if (before != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, before);
    SetLastError(error);
    return 0;
}

int RemoveEmptyDirectory(const char* path)
{
    return RemoveDirectoryA(path) ? 1 : 0;
}

int DeleteFileOrTree(const char* dir, const char* name)
{
    // An empty directory would make "\*.*", the root of the current drive.
    if (dir == nullptr || *dir == '\0')
        return 0;
    if (name == nullptr)
        return DeleteTreeAtPath(dir) ? 1 : 0;
    std::string path;
    if (!JoinPath(dir, name, path, kFilePathBufferSize))
        return 0;
    return DeleteFileAtPath(path.c_str());
}

}  // namespace sysops
