#include "machine/Views.h"

#include "sysops/SystemLibrary.h"

namespace machine {

bool IsWow64()
{
    // Looked up: the sample also runs on machines that claim to be Windows 98.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = sysops::LookUpLoaded<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

REGSAM OwnView() { return IsWow64() ? kView32 : 0; }

REGSAM NativeView() { return IsWow64() ? kView64 : 0; }

std::vector<REGSAM> AllViews()
{
    if (IsWow64())
        return {kView32, kView64};
    return {REGSAM{0}};
}

std::string ViewName(REGSAM view)
{
    if (view == kView32)
        return "HKLM[32]";
    if (view == kView64)
        return "HKLM[64]";
    return "HKLM";
}

}  // namespace machine
