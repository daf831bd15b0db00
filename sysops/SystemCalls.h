// Functions that only some Windows versions export, looked up by name once,
// in one place: the program must still load on Windows 98 and NT 4, so none
// of them is imported. Each is null where this Windows lacks it; each group
// says which Windows first has it. Libraries that are not always loaded
// (PSAPI, the common controls) are loaded from the system directory once and
// kept for the life of the process.
#pragma once

#include <windows.h>
#include <winternl.h>

namespace sysops {

using NtDeleteKeyFn = NTSTATUS(NTAPI*)(HANDLE);
using NtQueryKeyFn = NTSTATUS(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);
using PathFn = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
using DirectoryFn = UINT(WINAPI*)(LPSTR, UINT);
using QueryServiceStatusExFn = BOOL(WINAPI*)(SC_HANDLE, SC_STATUS_TYPE, LPBYTE, DWORD, LPDWORD);
using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, void*);  // PROCESSENTRY32*
using InitCommonControlsExFn = BOOL(WINAPI*)(const void*);  // INITCOMMONCONTROLSEX*
using InitCommonControlsFn = void(WINAPI*)();

struct SystemCalls {
    // ntdll, the whole NT family (the 9x family has no ntdll exports).
    decltype(&::NtCreateFile) ntCreateFile;
    NtQueryDirectoryFileFn ntQueryDirectoryFile;
    decltype(&::NtQueryInformationFile) ntQueryInformationFile;
    decltype(&::NtSetInformationFile) ntSetInformationFile;
    decltype(&::RtlNtStatusToDosError) rtlNtStatusToDosError;
    NtDeleteKeyFn ntDeleteKey;
    NtQueryKeyFn ntQueryKey;

    // advapi32, the whole NT family (stubs that fail, or nothing, on 98).
    decltype(&::GetKernelObjectSecurity) getKernelObjectSecurity;
    decltype(&::GetSecurityDescriptorOwner) getSecurityDescriptorOwner;
    decltype(&::GetSecurityDescriptorDacl) getSecurityDescriptorDacl;
    decltype(&::GetAce) getAce;
    decltype(&::OpenProcessToken) openProcessToken;
    decltype(&::GetTokenInformation) getTokenInformation;
    decltype(&::RegQueryValueExW) regQueryValueExW;
    decltype(&::RegSetValueExW) regSetValueExW;
    // advapi32, Windows 2000.
    QueryServiceStatusExFn queryServiceStatusEx;

    // kernel32, Windows 98 and 2000 (not NT 4).
    PathFn getLongPathName;
    // kernel32, NT 4 Terminal Server and later.
    DirectoryFn getSystemWindowsDirectory;
    // kernel32, XP SP1.
    decltype(&::SetDllDirectoryA) setDllDirectory;
    // kernel32, XP SP2 and 64-bit capable Windows.
    decltype(&::Wow64DisableWow64FsRedirection) wow64DisableRedirection;
    decltype(&::Wow64RevertWow64FsRedirection) wow64RevertRedirection;
    // kernel32, Vista.
    FinalPathFn getFinalPathNameByHandle;
    // kernel32's Toolhelp, the 9x family and 2000 (not NT 4).
    CreateSnapshotFn createToolhelp32Snapshot;
    ProcessWalkFn process32First;
    ProcessWalkFn process32Next;

    // PSAPI.DLL, NT 4 as updated and later: whether it loads, and its calls.
    bool psapiLoaded;
    EnumProcessesFn enumProcesses;
    EnumProcessModulesFn enumProcessModules;
    GetModuleBaseNameFn getModuleBaseName;

    // comctl32.dll: the extended form from Internet Explorer 3, else the old one.
    InitCommonControlsExFn initCommonControlsEx;
    InitCommonControlsFn initCommonControls;

    bool HasSecurity() const
    {
        return getKernelObjectSecurity != nullptr && getSecurityDescriptorOwner != nullptr &&
               getSecurityDescriptorDacl != nullptr && getAce != nullptr && openProcessToken != nullptr &&
               getTokenInformation != nullptr;
    }

    // Whether the native file calls the NT family walks with are all there.
    bool HasNativeFiles() const
    {
        return ntCreateFile != nullptr && ntQueryDirectoryFile != nullptr && ntQueryInformationFile != nullptr &&
               ntSetInformationFile != nullptr && rtlNtStatusToDosError != nullptr;
    }
    // Whether registry data can be read and written as Windows stores it.
    bool HasWideValues() const { return regQueryValueExW != nullptr && regSetValueExW != nullptr; }
    bool HasPsapi() const
    {
        return enumProcesses != nullptr && enumProcessModules != nullptr && getModuleBaseName != nullptr;
    }
    bool HasToolhelp() const
    {
        return createToolhelp32Snapshot != nullptr && process32First != nullptr && process32Next != nullptr;
    }
};

// Looked up at the first call, kept for the life of the process.
const SystemCalls& Calls();

}  // namespace sysops
