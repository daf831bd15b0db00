// Registry views as the tests name them: the access flag that picks one, or
// 0 for the process's own (the only one on 32-bit Windows).
#pragma once

#include "sysops/Registry.h"

#include <windows.h>

#include <string>
#include <vector>

namespace machine {

constexpr REGSAM kView32 = KEY_WOW64_32KEY;
constexpr REGSAM kView64 = KEY_WOW64_64KEY;

// True when this 32-bit process runs on 64-bit Windows.
bool IsWow64();

// The view a 32-bit process reaches by default: the 32-bit one on 64-bit
// Windows, the only one elsewhere.
REGSAM OwnView();
// The native view, where Windows Installer keeps its records: the 64-bit
// one on 64-bit Windows, the only one elsewhere.
REGSAM NativeView();
// Every view of this machine.
std::vector<REGSAM> AllViews();

// The view the program's registry calls take for a catalogue view number
// (1 the 64-bit view, 0 the 32-bit one) on this machine.
inline sysops::RegistryView RunView(int view64)
{
    return sysops::RegistryView::Of(IsWow64(), view64);
}

// Every view as the program scans them: the 32-bit one first.
inline std::vector<sysops::RegistryView> RunViews()
{
    if (!IsWow64())
        return {RunView(0)};
    return {RunView(0), RunView(1)};
}

// "HKLM", "HKLM[32]" or "HKLM[64]".
std::string ViewName(REGSAM view);

}  // namespace machine
