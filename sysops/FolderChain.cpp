#include "sysops/FolderChain.h"

#include "sysops/Ownership.h"
#include "sysops/PathText.h"
#include "sysops/SystemLibrary.h"

#include <cstring>
#include <utility>

namespace sysops {
namespace {

// Listing access, not attributes alone: an open for attributes takes no
// part in sharing and would not keep the folder from being renamed. Its
// security is read through the same handle.
constexpr DWORD kHoldAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL;
constexpr DWORD kHoldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kAsItselfFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

bool IsNotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsPlainFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool ReadHeld(HANDLE handle, FileIdentity& identity, DWORD& attributes)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    attributes = info.dwFileAttributes;
    return true;
}

// What `path` names now, opened as itself: the identity of the folder or of
// the link found there.
bool IdentityNow(const std::string& path, FileIdentity& identity)
{
    const UniqueFile now(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     kAsItselfFlags, nullptr));
    DWORD attributes = 0;
    return now && ReadHeld(now.Get(), identity, attributes) && IsPlainFolder(attributes);
}

}  // namespace

std::vector<std::string> FolderPrefixes(const std::string& path)
{
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (!drive)
        return {};
    std::vector<std::string> prefixes = {path.substr(0, 3)};
    for (std::size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
        if (slash > 3 && path[slash - 1] != '\\')
            prefixes.push_back(path.substr(0, slash));
    }
    if (path.size() > 3 && path.back() != '\\')
        prefixes.push_back(path);
    return prefixes;
}

// Where a link leads: the final path of what `path` opens, in its plain
// "C:\..." form. Vista and later say it.
bool FinalPath(const std::string& path, std::string& final)
{
    using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    static const auto finalPath = LookUpLoaded<FinalPathFn>("kernel32.dll", "GetFinalPathNameByHandleA");
    const UniqueFile folder(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    char buffer[kPathBufferSize];
    if (finalPath == nullptr || !folder)
        return false;
    const DWORD length = finalPath(folder.Get(), buffer, sizeof buffer, 0 /* FILE_NAME_NORMALIZED, VOLUME_NAME_DOS */);
    constexpr char kLocal[] = "\\\\?\\";
    if (length == 0 || length >= sizeof buffer || std::strncmp(buffer, kLocal, 4) != 0)
        return false;
    final.assign(buffer + 4, length - 4);
    return FolderPrefixes(final).size() > 0;
}

UniqueFile HoldFile(const std::string& path, bool& missing)
{
    // The 9x family has no links, and may not know the flag.
    const DWORD flags = IsNtFamily() ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr));
    missing = !file && IsNotFound(GetLastError());
    FileIdentity identity;
    DWORD attributes = 0;
    if (file && (!ReadHeld(file.Get(), identity, attributes) ||
                 (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0))
        file.Reset();
    return file;
}

ChainState ResolveAdministratorsLinks(const std::string& path, std::string& resolved)
{
    resolved = path;
    const std::vector<std::string> prefixes = FolderPrefixes(path);
    if (prefixes.empty())
        return ChainState::Refused;
    if (!IsNtFamily())
        return FolderChain().Hold(path);
    bool linked = false;
    for (const std::string& prefix : prefixes) {
        const UniqueFile item(CreateFileA(prefix.c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, kAsItselfFlags, nullptr));
        FileIdentity identity;
        DWORD attributes = 0;
        if (!item)
            return IsNotFound(GetLastError()) ? ChainState::Missing : ChainState::Refused;
        if (!ReadHeld(item.Get(), identity, attributes))
            return ChainState::Refused;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            continue;
        if (!OwnedByAdministrators(item.Get()))
            return ChainState::Refused;
        linked = true;
    }
    if (linked && !FinalPath(path, resolved))
        return ChainState::Refused;
    return ChainState::Held;
}

ChainState FolderChain::Hold(const std::string& path)
{
    held_.clear();
    path_ = path;
    if (!IsNtFamily()) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            state_ = IsNotFound(GetLastError()) ? ChainState::Missing : ChainState::Refused;
        else
            state_ = IsPlainFolder(attributes) ? ChainState::Held : ChainState::Refused;
        return state_;
    }
    state_ = HoldOnNt(path);
    if (state_ == ChainState::Refused)
        held_.clear();
    return state_;
}

ChainState FolderChain::HoldOnNt(const std::string& path)
{
    const std::vector<std::string> prefixes = FolderPrefixes(path);
    if (prefixes.empty())
        return ChainState::Refused;
    for (const std::string& prefix : prefixes) {
        UniqueFile handle(CreateFileA(prefix.c_str(), kHoldAccess, kHoldSharing, nullptr, OPEN_EXISTING,
                                      kAsItselfFlags, nullptr));
        if (!handle)
            return IsNotFound(GetLastError()) ? ChainState::Missing : ChainState::Refused;
        FileIdentity identity;
        DWORD attributes = 0;
        if (!ReadHeld(handle.Get(), identity, attributes) || !IsPlainFolder(attributes))
            return ChainState::Refused;
        held_.push_back(HeldFolder{prefix, std::move(handle), identity});
    }
    return ChainState::Held;
}

bool FolderChain::StillHeld() const
{
    if (state_ == ChainState::Refused)
        return false;
    if (!IsNtFamily()) {
        const DWORD attributes = GetFileAttributesA(path_.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && IsPlainFolder(attributes);
    }
    for (const HeldFolder& folder : held_) {
        FileIdentity identity;
        DWORD attributes = 0;
        if (!folder.handle || !ReadHeld(folder.handle.Get(), identity, attributes) || !(identity == folder.identity) ||
            !IsPlainFolder(attributes))
            return false;
        // Where the system would let a held folder be renamed after all, its
        // path would now lead elsewhere.
        if (!IdentityNow(folder.path, identity) || !(identity == folder.identity))
            return false;
    }
    return true;
}

UniqueFile FolderChain::TakeDeepest()
{
    if (state_ != ChainState::Held || held_.empty())
        return UniqueFile();
    return std::move(held_.back().handle);
}

void FolderChain::ReleaseFrom(std::size_t level)
{
    for (std::size_t i = level; i < held_.size(); ++i)
        held_[i].handle.Reset();
}

}  // namespace sysops
