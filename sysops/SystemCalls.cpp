#include "sysops/SystemCalls.h"

#include "sysops/SystemLibrary.h"

namespace sysops {
namespace {

template <typename Fn>
void Find(Fn& call, HMODULE library, const char* name)
{
    call = LookUp<Fn>(library, name);
}

void FindNative(SystemCalls& calls)
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    Find(calls.ntCreateFile, ntdll, "NtCreateFile");
    Find(calls.ntQueryDirectoryFile, ntdll, "NtQueryDirectoryFile");
    Find(calls.ntQueryInformationFile, ntdll, "NtQueryInformationFile");
    Find(calls.ntSetInformationFile, ntdll, "NtSetInformationFile");
    Find(calls.rtlNtStatusToDosError, ntdll, "RtlNtStatusToDosError");
    Find(calls.ntDeleteKey, ntdll, "NtDeleteKey");
    Find(calls.ntQueryKey, ntdll, "NtQueryKey");
    const HMODULE advapi = GetModuleHandleA("advapi32.dll");
    Find(calls.getKernelObjectSecurity, advapi, "GetKernelObjectSecurity");
    Find(calls.getSecurityDescriptorOwner, advapi, "GetSecurityDescriptorOwner");
    Find(calls.getSecurityDescriptorDacl, advapi, "GetSecurityDescriptorDacl");
    Find(calls.getAce, advapi, "GetAce");
    Find(calls.openProcessToken, advapi, "OpenProcessToken");
    Find(calls.getTokenInformation, advapi, "GetTokenInformation");
    Find(calls.regQueryValueExW, advapi, "RegQueryValueExW");
    Find(calls.regSetValueExW, advapi, "RegSetValueExW");
    Find(calls.queryServiceStatusEx, advapi, "QueryServiceStatusEx");
}

void FindKernel(SystemCalls& calls)
{
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    Find(calls.getLongPathName, kernel, "GetLongPathNameA");
    Find(calls.getSystemWindowsDirectory, kernel, "GetSystemWindowsDirectoryA");
    Find(calls.setDllDirectory, kernel, "SetDllDirectoryA");
    Find(calls.wow64DisableRedirection, kernel, "Wow64DisableWow64FsRedirection");
    Find(calls.wow64RevertRedirection, kernel, "Wow64RevertWow64FsRedirection");
    Find(calls.getFinalPathNameByHandle, kernel, "GetFinalPathNameByHandleA");
    Find(calls.createToolhelp32Snapshot, kernel, "CreateToolhelp32Snapshot");
    Find(calls.process32First, kernel, "Process32First");
    Find(calls.process32Next, kernel, "Process32Next");
}

void FindLoaded(SystemCalls& calls)
{
    const HMODULE psapi = LoadSystemLibrary("PSAPI.DLL");
    calls.psapiLoaded = psapi != nullptr;
    Find(calls.enumProcesses, psapi, "EnumProcesses");
    Find(calls.enumProcessModules, psapi, "EnumProcessModules");
    Find(calls.getModuleBaseName, psapi, "GetModuleBaseNameA");
    const HMODULE comctl32 = LoadSystemLibrary("comctl32.dll");
    Find(calls.initCommonControlsEx, comctl32, "InitCommonControlsEx");
    Find(calls.initCommonControls, comctl32, "InitCommonControls");
}

SystemCalls LookUpAll()
{
    SystemCalls calls = {};
    // The 9x family's ntdll and advapi32 offer nothing of these but stubs.
    if ((GetVersion() & 0x80000000u) == 0)
        FindNative(calls);
    FindKernel(calls);
    FindLoaded(calls);
    return calls;
}

}  // namespace

const SystemCalls& Calls()
{
    static const SystemCalls calls = LookUpAll();
    return calls;
}

}  // namespace sysops
