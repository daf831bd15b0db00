#include "sysops/SystemCalls.h"

#include "sysops/SystemLibrary.h"

namespace sysops {
namespace {

template <typename Fn>
void Find(Fn& call, const char* library, const char* name)
{
    call = LookUpLoaded<Fn>(library, name);
}

SystemCalls LookUpAll()
{
    SystemCalls calls = {};
    // The 9x family's kernel32 forwards nothing to an ntdll of its own.
    if ((GetVersion() & 0x80000000u) == 0) {
        Find(calls.ntCreateFile, "ntdll.dll", "NtCreateFile");
        Find(calls.ntQueryDirectoryFile, "ntdll.dll", "NtQueryDirectoryFile");
        Find(calls.ntQueryInformationFile, "ntdll.dll", "NtQueryInformationFile");
        Find(calls.ntSetInformationFile, "ntdll.dll", "NtSetInformationFile");
        Find(calls.rtlNtStatusToDosError, "ntdll.dll", "RtlNtStatusToDosError");
        Find(calls.getKernelObjectSecurity, "advapi32.dll", "GetKernelObjectSecurity");
        Find(calls.getSecurityDescriptorOwner, "advapi32.dll", "GetSecurityDescriptorOwner");
        Find(calls.getSecurityDescriptorDacl, "advapi32.dll", "GetSecurityDescriptorDacl");
        Find(calls.getAce, "advapi32.dll", "GetAce");
        Find(calls.openProcessToken, "advapi32.dll", "OpenProcessToken");
        Find(calls.getTokenInformation, "advapi32.dll", "GetTokenInformation");
    }
    return calls;
}

}  // namespace

const SystemCalls& Calls()
{
    static const SystemCalls calls = LookUpAll();
    return calls;
}

}  // namespace sysops
