#include "machine/WindowsVersion.h"

#include "machine/Child.h"
#include "machine/Views.h"

#include <windows.h>

namespace machine {
namespace {

// The winecfg name of the version this process sees.
std::string CurrentVersionName()
{
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
    const bool workstation = info.wProductType == VER_NT_WORKSTATION;
    const DWORD version = info.dwMajorVersion * 100 + info.dwMinorVersion;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return version == 400 ? "win95" : version == 410 ? "win98" : "winme";
    switch (version) {
    case 400: return "nt40";
    case 500: return "win2k";
    case 501: return "winxp";
    case 502: return workstation && IsWow64() ? "winxp64" : "win2003";
    case 600: return workstation ? "vista" : "win2008";
    case 601: return workstation ? "win7" : "win2008r2";
    case 602: return "win8";
    default: return "win7";
    }
}

bool SetWindowsVersion(const std::string& version)
{
    return RunAndWait("winecfg.exe -v " + version) == 0;
}

}  // namespace

ScopedWindowsVersion::ScopedWindowsVersion(const char* version) : previous_(CurrentVersionName())
{
    refused_ = !SetWindowsVersion(version);
}

ScopedWindowsVersion::~ScopedWindowsVersion()
{
    if (!refused_)
        SetWindowsVersion(previous_);
}

}  // namespace machine
