#include "sysops/FolderChain.h"

#include "sysops/NativeFiles.h"
#include "sysops/Ownership.h"
#include "sysops/PathText.h"
#include "sysops/SystemCalls.h"

#include <cstring>
#include <utility>

namespace sysops {
namespace {

// Listing access, not attributes alone: an open for attributes takes no
// part in sharing and would not keep the folder from being renamed. Its
// security is read through the same handle.
constexpr DWORD kHoldAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL;
constexpr DWORD kHoldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

bool IsNotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsPlainFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Some file systems (Wine's Unix links) open a link as its target even when
// asked for the link itself; the name's own attributes still show it. The
// folders above `path` are held plain folders, so the look passes no link.
DWORD NamedAsLink(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES ? attributes & FILE_ATTRIBUTE_REPARSE_POINT : 0;
}

bool ReadHeld(HANDLE handle, FileIdentity& identity, DWORD& attributes)
{
    OpenedFile info;
    if (!ReadOpened(handle, info))
        return false;
    identity = info.identity;
    attributes = info.attributes;
    return true;
}

// Where a chain that passed links ended up, in its plain "C:\..." form;
// Vista and later say it.
bool FinalPath(HANDLE folder, std::string& final)
{
    const auto finalPath = Calls().getFinalPathNameByHandle;
    char buffer[kPathBufferSize];
    if (finalPath == nullptr)
        return false;
    const DWORD length = finalPath(folder, buffer, sizeof buffer, 0 /* normalized, with its drive letter */);
    if (length == 0 || length >= sizeof buffer || std::strncmp(buffer, "\\\\?\\", 4) != 0 ||
        FolderPrefixes(std::string(buffer + 4, length - 4)).empty())
        return false;
    final.assign(buffer + 4, length - 4);
    return true;
}

}  // namespace

bool OnlyAdministratorsHold(const FolderChain& folders, std::size_t levels)
{
    if (!HasNativeFiles())
        return true;
    // Past a link the names on the way to what it reaches are not held, and
    // what is left to the restart is found again by name.
    if (folders.State() != ChainState::Held || folders.PassedLinks() || folders.Depth() < levels ||
        folders.Depth() == 0 || !KeepsAccessLists(folders.Path().substr(0, 3)))
        return false;
    for (std::size_t i = 0; i < levels; ++i) {
        const ObjectKind kind = i == 0 ? ObjectKind::DriveRoot : ObjectKind::Folder;
        if (!OnlyAdministratorsMayChange(folders.Handle(i), kind))
            return false;
    }
    return true;
}

bool OnlyAdministratorsCouldHavePut(const FolderChain& folders, HANDLE file)
{
    return OnlyAdministratorsHold(folders, folders.Depth()) &&
           (!HasNativeFiles() || OnlyAdministratorsMayChange(file, ObjectKind::File));
}

bool OnlyAdministratorsCouldHavePut(const FolderChain& folders, const char* name)
{
    if (!HasNativeFiles())
        return true;
    std::vector<wchar_t> wide;
    UniqueFile file;
    return folders.State() == ChainState::Held && folders.Depth() != 0 && NativeText(name, wide) &&
           OpenNative(folders.Handle(folders.Depth() - 1), NameOf(wide), NativeKind::File, READ_CONTROL,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, file)
               .Done() &&
           OnlyAdministratorsCouldHavePut(folders, file.Get());
}

std::vector<std::string> FolderPrefixes(const std::string& path)
{
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (!drive)
        return {};
    std::vector<std::string> prefixes = {path.substr(0, 3)};
    for (std::size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
        if (path[slash - 1] == '\\')
            return {};  // an empty component
        prefixes.push_back(path.substr(0, slash));
    }
    if (path.size() > 3 && path.back() != '\\')
        prefixes.push_back(path);
    return prefixes;
}

ChainState FolderChain::Hold(const std::string& path, Links links)
{
    held_.clear();
    path_ = path;
    reached_ = path;
    passedLinks_ = false;
    const std::vector<std::string> prefixes = FolderPrefixes(path);
    levels_ = prefixes.size();
    if (prefixes.empty()) {
        state_ = ChainState::Refused;
    } else if (!HasNativeFiles()) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            state_ = IsNotFound(GetLastError()) ? ChainState::Missing : ChainState::Refused;
        else
            state_ = IsPlainFolder(attributes) ? ChainState::Held : ChainState::Refused;
    } else {
        state_ = HoldOnNt(prefixes, links);
    }
    if (state_ == ChainState::Refused)
        held_.clear();
    if (state_ == ChainState::Held)
        NoteReached();
    return state_;
}

ChainState FolderChain::HoldOnNt(const std::vector<std::string>& prefixes, Links links)
{
    std::vector<wchar_t> root;
    if (!NativePath(prefixes[0], root))
        return ChainState::Refused;
    ChainState state = HoldNext(nullptr, prefixes[0], prefixes[0], prefixes.size() == 1, Links::Refused);
    for (std::size_t level = 1; level < prefixes.size() && state == ChainState::Held; ++level) {
        const std::size_t start = prefixes[level - 1].size() + (level == 1 ? 0 : 1);
        state = HoldNext(held_.back().handle.Get(), prefixes[level], prefixes[level].substr(start),
                         level + 1 == prefixes.size(), links);
    }
    return state;
}

// Opens the next folder of the chain below `parent` (the drive's root, with
// no parent), passing a link only where `links` allows.
ChainState FolderChain::HoldNext(HANDLE parent, const std::string& prefix, const std::string& name, bool last,
                                 Links links)
{
    std::vector<wchar_t> wide;
    if (!(parent == nullptr ? NativePath(name, wide) : NativeText(name, wide)))
        return ChainState::Refused;
    UniqueFile handle;
    Result opened = OpenNative(parent, NameOf(wide), NativeKind::Folder, kHoldAccess, kHoldSharing, handle);
    if (!opened.Done())
        return IsNotFound(opened.error) ? ChainState::Missing : ChainState::Refused;
    FileIdentity identity;
    DWORD attributes = 0;
    if (!ReadHeld(handle.Get(), identity, attributes) || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return ChainState::Refused;
    // A drive's root is a volume's, never a link (Wine shows its Z: drive,
    // a Unix link to "/", as one).
    if (parent == nullptr)
        attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT);
    else
        attributes |= NamedAsLink(prefix);
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // A link nobody but administrators could have made or changed, and
        // only on the way, is followed to what it names, from the same parent.
        if (links == Links::Refused || last || parent == nullptr ||
            !OnlyAdministratorsMayChange(handle.Get(), ObjectKind::Folder))
            return ChainState::Refused;
        // The link stays held, so that it cannot be swapped, until what it
        // names is.
        UniqueFile target;
        opened = OpenNativeFollowing(parent, NameOf(wide), kHoldAccess, kHoldSharing, target);
        if (!opened.Done() || !ReadHeld(target.Get(), identity, attributes) || !IsPlainFolder(attributes))
            return IsNotFound(opened.error) ? ChainState::Missing : ChainState::Refused;
        handle = std::move(target);
        passedLinks_ = true;
    }
    held_.push_back(HeldFolder{prefix, name, std::move(handle), identity});
    return ChainState::Held;
}

void FolderChain::NoteReached()
{
    std::string final;
    if (passedLinks_ && !held_.empty() && FinalPath(held_.back().handle.Get(), final))
        reached_ = final;
}

bool FolderChain::Reaches(std::size_t level) const
{
    if (state_ == ChainState::Held)
        return level < levels_;
    if (state_ == ChainState::Refused)
        return false;
    if (HasNativeFiles())
        return level < held_.size();
    const std::vector<std::string> prefixes = FolderPrefixes(path_);
    if (level >= prefixes.size())
        return false;
    const DWORD attributes = GetFileAttributesA(prefixes[level].c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && IsPlainFolder(attributes);
}

bool FolderChain::StillHeld() const
{
    if (state_ == ChainState::Refused)
        return false;
    if (!HasNativeFiles()) {
        const DWORD attributes = GetFileAttributesA(path_.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && IsPlainFolder(attributes);
    }
    for (std::size_t level = 0; level < held_.size(); ++level) {
        const HeldFolder& folder = held_[level];
        FileIdentity identity;
        DWORD attributes = 0;
        if (!folder.handle)
            return false;
        if (!ReadHeld(folder.handle.Get(), identity, attributes) || !(identity == folder.identity))
            return false;
        // An empty folder may be made a link where it stands; a drive's root
        // is never one.
        if (level == 0)
            attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT);
        if (!IsPlainFolder(attributes))
            return false;
    }
    return true;
}

// Lets go of the folder at `level` (and those below it) to open it again
// from the held folder above it, by `name`.
Result FolderChain::LetGo(std::size_t level, std::vector<wchar_t>& name)
{
    if (level == 0 || level >= held_.size() || !held_[level - 1].handle)
        return Result::Error(ERROR_PATH_NOT_FOUND);
    ReleaseFrom(level);
    return NativeText(held_[level].name, name) ? Result::Ok() : Result::Error(ERROR_INVALID_NAME);
}

// The folder at `level`, let go of and opened again from the held folder
// above it, alone, when that is still the folder held.
Result FolderChain::Reopen(std::size_t level, UniqueFile& folder, bool& mayDelete)
{
    std::vector<wchar_t> wide;
    const Result released = LetGo(level, wide);
    if (!released.Done())
        return released;
    Result result = OpenFolderAlone(held_[level - 1].handle.Get(), NameOf(wide), NativeKind::Folder, folder, mayDelete);
    FileIdentity identity;
    DWORD attributes = 0;
    if (result.Done() &&
        (!ReadHeld(folder.Get(), identity, attributes) || !(identity == held_[level].identity) ||
         !IsPlainFolder(attributes | NamedAsLink(held_[level].path))))
        result = Result::Error(ERROR_FILE_INVALID);
    if (!result.Done())
        folder.Reset();
    return result;
}

Result FolderChain::TakeDeepest(UniqueFile& folder, bool& mayDelete)
{
    folder.Reset();
    mayDelete = false;
    if (state_ != ChainState::Held)
        return Result::Error(ERROR_PATH_NOT_FOUND);
    if (!HasNativeFiles())
        return Result::Ok();
    return Reopen(held_.size() - 1, folder, mayDelete);
}

void FolderChain::ReleaseFrom(std::size_t level)
{
    for (std::size_t i = level; i < held_.size(); ++i)
        held_[i].handle.Reset();
}

Result FolderChain::RemoveEmptyFolder(std::size_t level)
{
    if (!HasNativeFiles()) {
        const std::vector<std::string> prefixes = FolderPrefixes(path_);
        if (level >= prefixes.size())
            return Result::Error(ERROR_INVALID_PARAMETER);
        return Result::Of(RemoveDirectoryA(prefixes[level].c_str()) != FALSE);
    }
    std::vector<wchar_t> wide;
    const Result released = LetGo(level, wide);
    if (!released.Done())
        return released;
    // A Unix link of Wine's opens as its target; its name still shows it.
    if (NamedAsLink(held_[level].path) != 0)
        return Result::Error(ERROR_FILE_INVALID);
    UniqueFile folder;
    return MarkEmptyFolder(held_[level - 1].handle.Get(), NameOf(wide), held_[level].identity, folder);
}

UniqueFile HoldFileIn(const FolderChain& folder, const char* name, bool& missing)
{
    missing = false;
    UniqueFile file;
    if (folder.State() != ChainState::Held)
        return file;
    Result opened;
    if (!HasNativeFiles()) {
        std::string path;
        if (!JoinPath(folder.Path(), name, path, kFilePathBufferSize))
            return file;
        file.Reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        opened = Result::Of(file.IsValid());
    } else {
        std::vector<wchar_t> wide;
        if (folder.Depth() == 0 || !NativeText(name, wide))
            return file;
        opened = OpenNative(folder.Handle(folder.Depth() - 1), NameOf(wide), NativeKind::File, GENERIC_READ,
                            FILE_SHARE_READ, file);
    }
    missing = IsNotFound(opened.error);
    FileIdentity identity;
    DWORD attributes = 0;
    if (file && (!ReadHeld(file.Get(), identity, attributes) ||
                 (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0))
        file.Reset();
    return file;
}

}  // namespace sysops
