// Functions that only some Windows versions export, looked up by name once,
// in one place: the program must still load on Windows 98 and NT 4, so none
// of them is imported. Each is null where this Windows lacks it; the
// comment on each group says which Windows first has it.
#pragma once

#include <windows.h>
#include <winternl.h>

namespace sysops {

using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);

struct SystemCalls {
    // ntdll, the whole NT family (the 9x family has no ntdll exports).
    decltype(&::NtCreateFile) ntCreateFile;
    NtQueryDirectoryFileFn ntQueryDirectoryFile;
    decltype(&::NtQueryInformationFile) ntQueryInformationFile;
    decltype(&::NtSetInformationFile) ntSetInformationFile;
    decltype(&::RtlNtStatusToDosError) rtlNtStatusToDosError;

    // advapi32, the whole NT family (stubs that fail, or nothing, on 98).
    decltype(&::GetKernelObjectSecurity) getKernelObjectSecurity;
    decltype(&::GetSecurityDescriptorOwner) getSecurityDescriptorOwner;
    decltype(&::GetSecurityDescriptorDacl) getSecurityDescriptorDacl;
    decltype(&::GetAce) getAce;
    decltype(&::OpenProcessToken) openProcessToken;
    decltype(&::GetTokenInformation) getTokenInformation;

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
};

// Looked up at the first call, kept for the life of the process.
const SystemCalls& Calls();

}  // namespace sysops
