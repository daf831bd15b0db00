#include "sysops/Restart.h"

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

std::string ShortPath(const std::string& path)
{
    char buffer[kFilePathBufferSize];
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return length != 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
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
    const std::string shortPath = ShortPath(path);
    if (shortPath.empty() || !WininitPath(wininit))
        return Result::LastError();
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

// What Windows deletes at the start may not be read-only: the attribute
// goes now. Only a file nobody but administrators could have put there is
// left to the restart, so its path still names it.
void ClearReadOnly(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
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
    const std::string shortPath = ShortPath(path);
    return !shortPath.empty() && WininitPath(wininit) &&
           SectionHasLine(ReadRenameSection(wininit), kWininit.deleteKey + shortPath);
}

Result ScheduleForRestart(const std::string& path, bool folder)
{
    if (!folder)
        ClearReadOnly(path);
    if (!IsNtFamily())
        return ScheduleOn9x(path, folder);
    if (PendingOnNt(path))
        return Result::AtRestart();
    if (!MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return Result::LastError();
    return Result::AtRestart();
}

}  // namespace sysops
