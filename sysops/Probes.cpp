#include "sysops/Probes.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"

#include <cstring>

namespace sysops {
namespace {

// The extended record is what Windows 2000 and later fill; older systems
// (NT 4 before SP6, the 9x family) accept only the plain one.
constexpr DWORD kExtendedRecordSize = sizeof(OSVERSIONINFOEXA);  // 156
constexpr DWORD kPlainRecordSize = sizeof(OSVERSIONINFOA);       // 148

static_assert(kExtendedRecordSize == 156 && kPlainRecordSize == 148, "record layout");

int ClassifyWin9x(DWORD major, DWORD minor)
{
    if (major != 4)
        return OSCLASS_UNKNOWN;
    switch (minor) {
    case 0: return OSCLASS_WIN95;
    case 10: return OSCLASS_WIN98;
    case 90: return OSCLASS_WINME;
    default: return OSCLASS_UNKNOWN;
    }
}

int ClassifyNt(DWORD major, DWORD minor, BYTE productType)
{
    const bool workstation = productType == VER_NT_WORKSTATION;
    if (major <= 4)
        return OSCLASS_NT4;
    if (major == 5) {
        switch (minor) {
        case 0: return OSCLASS_WIN2000;
        case 1: return OSCLASS_WINXP;
        case 2: return OSCLASS_WIN2003;
        default: return OSCLASS_UNKNOWN;
        }
    }
    if (major == 6) {
        switch (minor) {
        case 0: return workstation ? OSCLASS_VISTA : OSCLASS_WIN2008;
        case 1: return workstation ? OSCLASS_WIN7 : OSCLASS_WIN2008R2;
        case 2: return OSCLASS_WIN8;
        default: return OSCLASS_UNKNOWN;
        }
    }
    return OSCLASS_UNKNOWN;
}

}  // namespace

int ClassifyVersion(const OSVERSIONINFOEXA& info)
{
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return ClassifyWin9x(info.dwMajorVersion, info.dwMinorVersion);
    case VER_PLATFORM_WIN32_NT:
        return ClassifyNt(info.dwMajorVersion, info.dwMinorVersion, info.wProductType);
    default:
        return OSCLASS_UNKNOWN;
    }
}

int GetOsClassWith(VersionReader readVersion)
{
    // Zero-filled first, so a plain read leaves wProductType 0 (not a workstation).
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = kExtendedRecordSize;
    auto* record = reinterpret_cast<OSVERSIONINFOA*>(&info);
    if (!readVersion(record)) {
        info.dwOSVersionInfoSize = kPlainRecordSize;
        if (!readVersion(record))
            return OSCLASS_UNKNOWN;
    }
    return ClassifyVersion(info);
}

int GetOsClass()
{
    return GetOsClassWith(&GetVersionExA);
}

bool Is64BitWindows()
{
    std::string windowsDir;
    std::string wow64Dir;
    return ReadEnvironment("WINDIR", windowsDir) && JoinPath(windowsDir, "SysWOW64", wow64Dir) &&
           GetFileAttributesA(wow64Dir.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const char* dir, const char* name)
{
    std::string path;
    if (name == nullptr || dir == nullptr || !JoinPath(dir, name, path, kFilePathBufferSize))
        return false;
    WIN32_FIND_DATAA found;
    const UniqueFindHandle search(FindFirstFileA(path.c_str(), &found));
    return search.IsValid();
}

}  // namespace sysops
