// Registry views as the tests name them: the access flag that picks one, or
// 0 for the process's own (the only one on 32-bit Windows).
#pragma once

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

// "HKLM", "HKLM[32]" or "HKLM[64]".
std::string ViewName(REGSAM view);

}  // namespace machine
