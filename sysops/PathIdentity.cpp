#include "sysops/PathIdentity.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/SystemCalls.h"

#include <windows.h>

namespace sysops {
namespace {

bool FullPath(const std::string& path, std::string& full)
{
    char buffer[kPathBufferSize];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0 || length >= sizeof buffer)
        return false;
    full.assign(buffer, length);
    return true;
}

// head = the longest leading part of `full` below its drive's root that
// exists (empty when none does); tail = the rest, from its separator on.
void SplitAtExisting(const std::string& full, std::string& head, std::string& tail)
{
    head = full;
    tail.clear();
    while (!ExistsAtPath(head)) {
        const std::size_t cut = head.find_last_of('\\');
        if (cut == std::string::npos || cut < 3) {
            head.clear();
            tail = full;
            return;
        }
        tail.insert(0, head, cut, std::string::npos);
        head.resize(cut);
    }
}

bool LongPath(const std::string& full, std::string& canonical)
{
    const auto getLongPathName = Calls().getLongPathName;
    std::string head;
    std::string tail;
    SplitAtExisting(full, head, tail);
    if (getLongPathName == nullptr || head.empty()) {
        canonical = full;
        return true;
    }
    char buffer[kPathBufferSize];
    const DWORD length = getLongPathName(head.c_str(), buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return false;
    return AppendText(std::string(buffer, length), tail.c_str(), canonical);
}

}  // namespace

bool CanonicalPath(const std::string& path, std::string& canonical)
{
    std::string full;
    return FullPath(path, full) && LongPath(full, canonical);
}

bool ExistsAtPath(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsReparsePoint(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool ReadFileIdentity(const std::string& path, FileIdentity& identity)
{
    // Backup semantics open a folder; without FILE_FLAG_OPEN_REPARSE_POINT a
    // link is followed to what it names, which is what is compared.
    const UniqueFile file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.Get(), &info))
        return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool IsNtFamily()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace sysops
