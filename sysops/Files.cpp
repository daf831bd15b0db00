#include "sysops/Files.h"

#include "sysops/FolderChain.h"
#include "sysops/Handles.h"
#include "sysops/NativeFiles.h"
#include "sysops/Ownership.h"
#include "sysops/PathText.h"
#include "sysops/Restart.h"

#include <windows.h>

#include <algorithm>
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
// was looked at leads nowhere else. What is deleted is opened alone, so
// that no lock another program holds on it can make the deletion wait.

// Deletes the file `name` below `parent` (or the whole path, with no
// parent). Deleting refuses a read-only file, so its read-only attribute
// goes first, through the handle, and only then. Attributes belong to the
// file, not to one of its names: when it has other names (hard links),
// they keep what it had. A file this program may delete and that is not
// read-only, yet cannot be deleted, is mapped or running.
Result DeleteFileThrough(HANDLE parent, NativeName name)
{
    UniqueFile file;
    Result result = OpenNativeToDelete(parent, name, file);
    if (result.Done())
        return Result::Of(file.Reset() != FALSE);
    if (result.error != ERROR_ACCESS_DENIED)
        return result;
    result = OpenNativeAlone(parent, name, NativeKind::File, file);
    if (!result.Done())
        return result;
    OpenedFile before;
    if (!ReadOpened(file.Get(), before))
        return Result::LastError();
    if ((before.attributes & FILE_ATTRIBUTE_READONLY) == 0)
        return Result::Error(ERROR_USER_MAPPED_FILE);
    result = SetNativeAttributes(file.Get(), before.attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (result.Done())
        result = MarkForDeletion(file.Get());
    if (result.error == ERROR_ACCESS_DENIED)
        result = Result::Error(ERROR_USER_MAPPED_FILE);
    if (!result.Done() || before.links > 1)
        SetNativeAttributes(file.Get(), before.attributes);
    return result;
}

// A link goes as the link: opened as itself, alone, it is what is deleted.
Result RemoveLinkThrough(HANDLE parent, NativeName name)
{
    UniqueFile link;
    Result result = OpenNativeAlone(parent, name, NativeKind::Either, link);
    OpenedFile opened;
    if (result.Done() && (!ReadOpened(link.Get(), opened) || (opened.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0))
        result = Result::Error(ERROR_FILE_INVALID);  // no longer a link
    return result.Done() ? MarkForDeletion(link.Get()) : result;
}

// The ANSI spelling of a name from a listing, when it spells exactly that
// name; empty otherwise.
std::string AnsiName(NativeName name)
{
    char buffer[kFilePathBufferSize];
    const int length = WideCharToMultiByte(CP_ACP, 0, name.text, static_cast<int>(name.length), buffer,
                                           sizeof buffer - 1, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    const std::string text(buffer, static_cast<std::size_t>(length));
    std::vector<wchar_t> back;
    if (!NativeText(text, back) || back.size() != name.length ||
        !std::equal(back.begin(), back.end(), name.text))
        return std::string();
    return text;
}

struct NativeFs {
    using Entry = NativeEntry;

    // A folder of the tree, held alone while it is emptied and removed
    // through that handle. Its path, by which anything in it is left to the
    // restart, is composed only when that is needed.
    struct Folder {
        UniqueFile handle;
        bool mayDelete = false;
        Folder* up = nullptr;
        std::vector<wchar_t> name;  // below `up`
        std::string rootPath;       // the tree's own folder's
        int onlyAdministrators = -1;  // not yet asked
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
    static Result OpenFolder(Folder& parent, const Entry& entry, Folder& child, bool& isLink)
    {
        child.up = &parent;
        child.name.assign(entry.name.text, entry.name.text + entry.name.length);
        Result result = OpenFolderAlone(parent.handle.Get(), entry.name, NativeKind::Folder, child.handle,
                                        child.mayDelete);
        DWORD attributes = 0;
        if (result.Done() && !ReadNativeAttributes(child.handle.Get(), attributes))
            result = Result::Error(ERROR_FILE_INVALID);
        isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (isLink)
            child.handle.Reset();  // the link is opened again, alone, to go
        return result;
    }

    static Result RemoveLink(const Folder& parent, const Entry& entry)
    {
        return RemoveLinkThrough(parent.handle.Get(), entry.name);
    }

    static Result DeleteEntryFile(const Folder& parent, const Entry& entry)
    {
        return DeleteFileThrough(parent.handle.Get(), entry.name);
    }

    // The emptied folder goes through the handle it was held by all along.
    // When entries came meanwhile, it is still held, to be emptied once more.
    static Result RemoveFolder(Folder& folder)
    {
        const Result result = folder.mayDelete ? MarkForDeletion(folder.handle.Get()) : Result::Error(ERROR_ACCESS_DENIED);
        if (result.error != ERROR_DIR_NOT_EMPTY)
            folder.handle.Reset();
        return result;
    }

    // The folder's path; empty when the code page cannot spell a name on it.
    static std::string PathOf(const Folder& folder)
    {
        if (folder.up == nullptr)
            return folder.rootPath;
        const std::string above = PathOf(*folder.up);
        const std::string name = AnsiName(NameOf(folder.name));
        std::string path;
        if (above.empty() || name.empty() || !JoinPath(above, name.c_str(), path, kFilePathBufferSize))
            path.clear();
        return path;
    }

    // Whether a name in `folder` still names the same file at the restart:
    // the folder, and every one above it, is only administrators' to change.
    static bool OnlyAdministratorsAbove(Folder& folder)
    {
        for (Folder* level = &folder; level != nullptr; level = level->up) {
            if (level->onlyAdministrators < 0)
                level->onlyAdministrators = OnlyAdministratorsMayChange(level->handle.Get(), ObjectKind::Folder);
            if (level->onlyAdministrators == 0)
                return false;
        }
        return true;
    }

    static Result ScheduleFile(Folder& folder, const Entry& entry)
    {
        UniqueFile file;
        std::string path;
        const std::string name = AnsiName(entry.name);
        const std::string folderPath = PathOf(folder);
        if (name.empty() || folderPath.empty() || !JoinPath(folderPath, name.c_str(), path, kFilePathBufferSize) ||
            !OpenNative(folder.handle.Get(), entry.name, NativeKind::File, READ_CONTROL,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, file)
                 .Done() ||
            !OnlyAdministratorsMayChange(file.Get(), ObjectKind::File))
            return Result::Error(ERROR_ACCESS_DENIED);
        return ScheduleForRestart(path, false);
    }

    static Result ScheduleFolder(Folder& folder)
    {
        const std::string path = PathOf(folder);
        return path.empty() ? Result::Error(ERROR_INVALID_NAME) : ScheduleForRestart(path, true);
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
    static Result PathOf(const Folder& parent, const Entry& entry, std::string& path)
    {
        const bool plain = std::strpbrk(entry.cFileName, "\\/:*?") == nullptr &&
                           JoinPath(parent.path, entry.cFileName, path, kFilePathBufferSize);
        return plain ? Result::Ok() : Result::Error(ERROR_INVALID_NAME);
    }

    static Result OpenFolder(const Folder& parent, const Entry& entry, Folder& child, bool& isLink)
    {
        isLink = false;
        return PathOf(parent, entry, child.path);
    }

    static Result RemoveLink(const Folder& parent, const Entry& entry)
    {
        std::string path;
        const Result result = PathOf(parent, entry, path);
        if (!result.Done())
            return result;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return Result::Of(RemoveDirectoryA(path.c_str()) != FALSE);
        return Result::Of(DeleteFileA(path.c_str()) != FALSE);
    }

    static Result DeleteEntryFile(const Folder& parent, const Entry& entry)
    {
        std::string path;
        const Result result = PathOf(parent, entry, path);
        return result.Done() ? DeleteFileAtPath(path.c_str()) : result;
    }

    static Result RemoveFolder(Folder& folder) { return Result::Of(RemoveDirectoryA(folder.path.c_str()) != FALSE); }

    // No accounts: nobody but the one user could have put anything anywhere.
    static bool OnlyAdministratorsAbove(Folder&) { return true; }

    static Result ScheduleFile(Folder& folder, const Entry& entry)
    {
        std::string path;
        const Result result = PathOf(folder, entry, path);
        return result.Done() ? ScheduleForRestart(path, false) : result;
    }

    static Result ScheduleFolder(Folder& folder) { return ScheduleForRestart(folder.path, true); }
};

// ---- the walk, once for both -------------------------------------------------

// Everything below a folder in listing order, then the folder. The first
// entry that cannot go stops the walk: what follows it stays, and so do the
// folders above it; only a file in use that goes at the restart (when
// `inUse` allows it) is passed, and the folders that hold it then go at the
// restart too, after it. A folder that gains entries as fast as they go is
// given up after the bound, and so is one nested too deep, and a tree past
// the bound of all its entries.
template <typename Fs>
class TreeWalk {
public:
    explicit TreeWalk(InUse inUse) : inUse_(inUse) {}

    Result EmptyAndRemove(typename Fs::Folder& folder, int depth)
    {
        if (depth > kMaxFolderDepth)
            return Result::Error(ERROR_NOT_ENOUGH_QUOTA);
        bool scheduled = false;
        Result result = Empty(folder, depth, scheduled);
        if (!result.Done())
            return result;  // a folder below that stayed is not retried from here
        if (scheduled)
            return Fs::ScheduleFolder(folder);
        result = Fs::RemoveFolder(folder);
        // Something came in after the listing ended: once more, then the
        // folder stays.
        if (result.error == ERROR_DIR_NOT_EMPTY) {
            result = Empty(folder, depth, scheduled);
            if (result.Done())
                result = scheduled ? Fs::ScheduleFolder(folder) : Fs::RemoveFolder(folder);
        }
        return result;
    }

private:
    Result Empty(typename Fs::Folder& folder, int depth, bool& scheduled)
    {
        typename Fs::Listing listing(folder);
        typename Fs::Entry entry;
        unsigned long seen = 0;
        while (listing.Next(entry)) {
            if (Fs::IsSelfOrParent(entry))
                continue;
            if (++seen > kMaxEntriesOfOneFolder || entriesLeft_ == 0)
                return Result::Error(ERROR_NOT_ENOUGH_QUOTA);
            --entriesLeft_;
            const Result gone = RemoveEntry(folder, entry, depth);
            if (gone.Scheduled())
                scheduled = true;
            else if (!gone.Done())
                return gone;
        }
        if (!listing.Ended())
            return Result::Error(listing.Error());
        listing.Close();
        return Result::Ok();
    }

    Result RemoveEntry(typename Fs::Folder& folder, const typename Fs::Entry& entry, int depth)
    {
        const DWORD attributes = Fs::Attributes(entry);
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
            return Fs::RemoveLink(folder, entry);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            const Result gone = Fs::DeleteEntryFile(folder, entry);
            if (inUse_ == InUse::Stays || !IsInUse(gone) || !Fs::OnlyAdministratorsAbove(folder))
                return gone;
            // The record says why it could not go now, if not even then.
            const Result scheduled = Fs::ScheduleFile(folder, entry);
            return scheduled.Scheduled() ? scheduled : gone;
        }
        typename Fs::Folder child;
        bool isLink = false;
        const Result opened = Fs::OpenFolder(folder, entry, child, isLink);
        if (!opened.Done())
            return opened;
        return isLink ? Fs::RemoveLink(folder, entry) : EmptyAndRemove(child, depth + 1);
    }

    InUse inUse_;
    unsigned long entriesLeft_ = kMaxEntriesOfOneTree;
};

// A tree's own folder, `name` below the folder `parent` holds, by its path
// `path`: held already by the caller (opened as itself, alone), or opened
// here. When it is a link, only the link goes. `above`: whether the folders
// above it are only administrators' to change.
struct NativeTree {
    HANDLE parent;
    std::vector<wchar_t> name;
    std::string path;
    bool above;
};

Result DeleteNativeTree(NativeTree tree, UniqueFile held, bool mayDelete, bool namedLink, InUse inUse)
{
    NativeFs::Folder folder;
    folder.rootPath = std::move(tree.path);
    folder.onlyAdministrators = tree.above ? -1 : 0;
    folder.handle = std::move(held);
    folder.mayDelete = mayDelete;
    if (!folder.handle) {
        const Result opened =
            OpenFolderAlone(tree.parent, NameOf(tree.name), NativeKind::Either, folder.handle, folder.mayDelete);
        if (!opened.Done())
            return opened;
    }
    OpenedFile opened;
    if (!ReadOpened(folder.handle.Get(), opened))
        return Result::Error(ERROR_PATH_NOT_FOUND);
    if (namedLink || (opened.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        folder.handle.Reset();
        return RemoveLinkThrough(tree.parent, NameOf(tree.name));
    }
    if ((opened.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return Result::Error(ERROR_DIRECTORY);
    return TreeWalk<NativeFs>(inUse).EmptyAndRemove(folder, 0);
}

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos || slash < 2 ? std::string() : path.substr(0, slash + (slash == 2 ? 1 : 0));
}

Result DeleteAnsiTree(const std::string& dir, InUse inUse)
{
    AnsiFs::Folder folder{dir};
    return TreeWalk<AnsiFs>(inUse).EmptyAndRemove(folder, 0);
}

// A tree named by its path: the folders above it are held, and the tree's
// own folder is opened from its parent as itself.
Result DeleteTreeAtPath(const std::string& dir)
{
    if (!HasNativeFiles())
        return DeleteAnsiTree(dir, InUse::Stays);
    // Some file systems (Wine's Unix links) open a link as its target; its
    // name's attributes still show the link.
    const DWORD named = GetFileAttributesA(dir.c_str());
    const bool namedLink = named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    FolderChain parent;
    std::vector<wchar_t> name;
    const std::string parentPath = ParentOf(dir);
    if (parentPath.empty() || parent.Hold(parentPath) != ChainState::Held || parent.Depth() == 0 ||
        !NativeText(dir.substr(parentPath.size() + (parentPath.size() == 3 ? 0 : 1)), name))
        return Result::Error(ERROR_PATH_NOT_FOUND);
    return DeleteNativeTree(NativeTree{parent.Handle(parent.Depth() - 1), std::move(name), dir, false}, UniqueFile(),
                            false, namedLink, InUse::Stays);
}

// Leaves a file that is in use to the restart, where `inUse` and the
// place allow it; any other failure stands.
Result ScheduleWhenInUse(const Result& failed, const std::string& path, InUse inUse,
                         const FolderChain* folder = nullptr, const char* name = nullptr)
{
    if (inUse == InUse::Stays || !IsInUse(failed))
        return failed;
    FolderChain held;  // what was judged stays held until the file is on the list
    if (inUse == InUse::GoesAtRestartIfOnlyAdministrators) {
        if (folder == nullptr) {
            const std::size_t slash = path.find_last_of('\\');
            if (slash == std::string::npos || held.Hold(ParentOf(path)) != ChainState::Held)
                return failed;
            folder = &held;
            name = path.c_str() + slash + 1;
        }
        if (!OnlyAdministratorsCouldHavePut(*folder, name))
            return failed;
    }
    return ScheduleForRestart(path, false);
}

}  // namespace

Result DeleteHeldTree(FolderChain& chain, InUse inUse)
{
    if (chain.State() != ChainState::Held || !chain.StillHeld())
        return Result::Error(chain.State() == ChainState::Missing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_INVALID);
    if (!HasNativeFiles())
        return DeleteAnsiTree(chain.Path(), inUse);
    std::vector<wchar_t> name;
    const std::size_t level = chain.Depth() - 1;
    if (level == 0 || !NativeText(chain.Name(level), name))
        return Result::Error(ERROR_PATH_NOT_FOUND);
    const bool above = inUse != InUse::Stays && OnlyAdministratorsHold(chain, level);
    UniqueFile folder;
    bool mayDelete = false;
    const Result taken = chain.TakeDeepest(folder, mayDelete);
    if (!taken.Done())
        return taken;
    return DeleteNativeTree(NativeTree{chain.Handle(level - 1), std::move(name), chain.Path(), above},
                            std::move(folder), mayDelete, false, inUse);
}

Result DeleteFileIn(const FolderChain& chain, const char* name, InUse inUse)
{
    std::string path;
    std::vector<wchar_t> wide;
    if (chain.State() != ChainState::Held || !JoinPath(chain.Path(), name, path, kFilePathBufferSize))
        return Result::Error(ERROR_PATH_NOT_FOUND);
    if (!HasNativeFiles() || chain.Depth() == 0)
        return DeleteFileAtPath(path.c_str(), inUse);
    if (!NativeText(name, wide))
        return Result::Error(ERROR_INVALID_NAME);
    return ScheduleWhenInUse(DeleteFileThrough(chain.Handle(chain.Depth() - 1), NameOf(wide)), path, inUse, &chain,
                             name);
}

Result DeleteFileAtPath(const char* path, InUse inUse)
{
    std::vector<wchar_t> wide;
    if (HasNativeFiles()) {
        if (!NativePath(path, wide))
            return Result::Error(ERROR_INVALID_NAME);
        return ScheduleWhenInUse(DeleteFileThrough(nullptr, NameOf(wide)), path, inUse);
    }
    // 9x: read-only goes first, and comes back when the file stays.
    const DWORD before = GetFileAttributesA(path);
    if (before != INVALID_FILE_ATTRIBUTES && (before & FILE_ATTRIBUTE_READONLY) == 0 && DeleteFileA(path))
        return Result::Ok();
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path))
        return Result::Ok();
    const Result failed = Result::LastError();
    if (before != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path, before);
    return ScheduleWhenInUse(failed, path, inUse);
}

Result DeleteFileOrTree(const char* dir, const char* name)
{
    // An empty directory would make "\*.*", the root of the current drive.
    if (dir == nullptr || *dir == '\0')
        return Result::Error(ERROR_INVALID_PARAMETER);
    if (name == nullptr)
        return DeleteTreeAtPath(dir);
    std::string path;
    if (!JoinPath(dir, name, path, kFilePathBufferSize))
        return Result::Error(ERROR_FILENAME_EXCED_RANGE);
    return DeleteFileAtPath(path.c_str());
}

}  // namespace sysops
