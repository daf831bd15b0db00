#include "sysops/Restart.h"

#include "sysops/Handles.h"
#include "sysops/NativeFiles.h"
#include "sysops/PathIdentity.h"
#include "sysops/PathText.h"
#include "sysops/SharedValues.h"
#include "sysops/SystemFolders.h"

#include <windows.h>

#include <vector>

namespace sysops {
namespace {

// The list the NT family's Session Manager works through at the start, in
// pairs: the file as a native path ("\??\C:\..."), then where it goes,
// empty for nowhere.
struct PendingList {
    const char* key;
    const char* value;
};
constexpr PendingList kPending = {"System\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations"};

// The 9x family's: "NUL=<short path>" in WININIT.INI's [rename] deletes the
// file at the next start. The section's size is large enough for every line
// any setup program has put there.
struct WininitList {
    const char* file;
    const char* section;
    const char* deleteKey;
    DWORD sectionBytes;
};
constexpr WininitList kWininit = {"WININIT.INI", "rename", "NUL=", 32 * 1024};

bool PendingOnNt(const std::string& path)
{
    std::vector<ListEntryText> entries;
    if (!ReadListEntries(kPending.key, kPending.value, RegistryView{}, entries))
        return false;
    const std::string native = "\\??\\" + path;
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2) {
        const ListEntryText& from = entries[i];
        const ListEntryText& to = entries[i + 1];
        if (from.exact && to.exact && to.text.empty() && SameText(from.text, native))
            return true;
    }
    return false;
}

bool WininitPath(std::string& wininit)
{
    std::string windows;
    return ReadWindowsDirectory(windows) && JoinPath(windows, kWininit.file, wininit);
}

// The section's lines, each ending in its terminator.
std::string ReadRenameSection(const std::string& wininit)
{
    std::vector<char> buffer(kWininit.sectionBytes, '\0');
    const DWORD length =
        GetPrivateProfileSectionA(kWininit.section, buffer.data(), kWininit.sectionBytes, wininit.c_str());
    return std::string(buffer.data(), length);
}

Result ShortPath(const std::string& path, std::string& shortPath)
{
    char buffer[kFilePathBufferSize];
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (length == 0)
        return Result::LastError();
    if (length >= sizeof buffer)
        return Result::Error(ERROR_FILENAME_EXCED_RANGE);
    shortPath.assign(buffer, length);
    return Result::Ok();
}

bool SectionHasLine(const std::string& section, const std::string& line)
{
    for (std::size_t at = 0; at < section.size();) {
        const std::size_t end = section.find('\0', at);
        const std::string found = section.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (SameText(found, line))
            return true;
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return false;
}

Result ScheduleOn9x(const std::string& path, bool folder)
{
    if (folder)
        return Result::Error(ERROR_NOT_SUPPORTED);
    std::string wininit;
    std::string shortPath;
    const Result named = ShortPath(path, shortPath);
    if (!named.Done())
        return named;
    if (!WininitPath(wininit))
        return Result::Error(ERROR_PATH_NOT_FOUND);
    const std::string line = kWininit.deleteKey + shortPath;
    std::string section = ReadRenameSection(wininit);
    if (SectionHasLine(section, line))
        return Result::AtRestart();
    if (section.size() + line.size() + 2 > kWininit.sectionBytes)
        return Result::Error(ERROR_NOT_ENOUGH_QUOTA);
    section += line;
    section.push_back('\0');
    section.push_back('\0');
    if (!WritePrivateProfileSectionA(kWininit.section, section.c_str(), wininit.c_str()))
        return Result::LastError();
    return Result::AtRestart();
}

// What Windows deletes at the start may not be read-only: once the file is
// on the list, the attribute goes. Only a file nobody but administrators
// could have put there is left to the restart, so its path still names it.
// A file with other names shares the attribute with them: it stays.
Result ReadOnlyMayGo(const std::string& path, DWORD& attributes)
{
    attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Result::LastError();
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0 || !IsNtFamily())
        return Result::Ok();
    const UniqueFile file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    OpenedFile opened;
    if (!file || !ReadOpened(file.Get(), opened))
        return Result::LastError();
    return opened.links > 1 ? Result::Error(ERROR_ACCESS_DENIED) : Result::Ok();
}

Result ScheduleOnNt(const std::string& path)
{
    if (PendingOnNt(path))
        return Result::AtRestart();
    if (!MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return Result::LastError();
    return Result::AtRestart();
}

}  // namespace

bool IsInUse(const Result& result)
{
    switch (result.error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return result.why == nullptr;
    case ERROR_ACCESS_DENIED:
        return result.why == nullptr && !IsNtFamily();
    default:
        return false;
    }
}

bool IsScheduledForRestart(const std::string& path)
{
    if (IsNtFamily())
        return PendingOnNt(path);
    std::string wininit;
    std::string shortPath;
    return ShortPath(path, shortPath).Done() && WininitPath(wininit) &&
           SectionHasLine(ReadRenameSection(wininit), kWininit.deleteKey + shortPath);
}

Result ScheduleForRestart(const std::string& path, bool folder)
{
    DWORD attributes = 0;
    if (!folder) {
        const Result mayGo = ReadOnlyMayGo(path, attributes);
        if (!mayGo.Done())
            return mayGo;
    }
    const Result listed = IsNtFamily() ? ScheduleOnNt(path) : ScheduleOn9x(path, folder);
    if (!listed.Scheduled() || folder || (attributes & FILE_ATTRIBUTE_READONLY) == 0)
        return listed;
    return SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))
               ? listed
               : Result::LastError();
}

}  // namespace sysops
