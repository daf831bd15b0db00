#include "sysops/Processes.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/ProcessEndings.h"
#include "sysops/SystemLibrary.h"

#include <tlhelp32.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace sysops {
namespace {

// Image names are accepted up to this many characters.
constexpr std::size_t kMaxNameLength = 260;
// A module's base name is read into this many bytes, terminator included.
constexpr DWORD kModuleNameSize = 260;

// The first listing holds 250 identifiers; it grows for longer lists.
constexpr std::size_t kFirstIdCount = 250;
// No Windows runs this many processes; a listing that claims more is cut here.
constexpr std::size_t kMaxIdCount = std::size_t(1) << 20;

// Windows 98 and NT 4 fill only the plain version record.
constexpr DWORD kVersionRecordSize = sizeof(OSVERSIONINFOA);
static_assert(kVersionRecordSize == 148, "plain version record");
// The ANSI Toolhelp records, of the sizes every Windows accepts.
static_assert(sizeof(PROCESSENTRY32) == 296, "ANSI process entry");

using ImageName = char[kMaxNameLength + 1];

void UpperCaseAscii(char* text)
{
    for (; *text != '\0'; ++text) {
        if (*text >= 'a' && *text <= 'z')
            *text = static_cast<char>(*text - 'a' + 'A');
    }
}

// Copies imageName upper-cased into target; false for a missing, empty or
// too long name. Measuring stops one past the limit, so an unterminated
// name is not read beyond it.
bool CopyTargetName(const char* imageName, ImageName& target)
{
    if (imageName == nullptr)
        return false;
    std::size_t length = 0;
    while (length <= kMaxNameLength && imageName[length] != '\0')
        ++length;
    if (length == 0 || length > kMaxNameLength)
        return false;
    std::memcpy(target, imageName, length);
    target[length] = '\0';
    UpperCaseAscii(target);
    return true;
}

// ---- NT family: the process-status library ----

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

// "PSAPI.DLL" is not part of NT 4 as shipped, so it is bound by name, for
// one call, from the system directory.
struct PsapiCalls {
    UniqueLibrary library;
    EnumProcessesFn enumProcesses = nullptr;
    EnumProcessModulesFn enumProcessModules = nullptr;
    GetModuleBaseNameFn getModuleBaseName = nullptr;
};

int BindPsapi(PsapiCalls& calls)
{
    calls.library.Reset(LoadSystemLibrary("PSAPI.DLL"));
    if (!calls.library)
        return KILL_NO_PSAPI;
    const HMODULE library = calls.library.Get();
    calls.enumProcesses = LookUp<EnumProcessesFn>(library, "EnumProcesses");
    calls.enumProcessModules = LookUp<EnumProcessModulesFn>(library, "EnumProcessModules");
    calls.getModuleBaseName = LookUp<GetModuleBaseNameFn>(library, "GetModuleBaseNameA");
    if (calls.enumProcesses == nullptr || calls.enumProcessModules == nullptr || calls.getModuleBaseName == nullptr) {
        calls.library.Reset();
        return KILL_PSAPI_INCOMPLETE;
    }
    return KILL_DONE;
}

// Every process identifier. EnumProcesses fills what fits without saying
// that more were left out, so the array grows until part of it stays unused.
bool ListProcessIds(EnumProcessesFn enumProcesses, std::vector<DWORD>& ids)
{
    ids.assign(kFirstIdCount, 0);
    for (;;) {
        const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        DWORD returned = 0;
        if (!enumProcesses(ids.data(), capacity, &returned))
            return false;
        if (returned < capacity || ids.size() >= kMaxIdCount) {
            ids.resize(returned / sizeof(DWORD));
            return true;
        }
        ids.assign(ids.size() * 2, 0);
    }
}

// Whether the executable of `process` is named `target` (upper case). A
// process whose name cannot be read (system processes) is nobody's copy.
bool IsExecutableNamed(const PsapiCalls& calls, HANDLE process, const char* target)
{
    // The first module listed is the executable itself.
    HMODULE executable = nullptr;
    DWORD needed = 0;
    if (!calls.enumProcessModules(process, &executable, sizeof executable, &needed))
        return false;
    char name[kModuleNameSize] = {};
    if (calls.getModuleBaseName(process, executable, name, kModuleNameSize) == 0)
        return false;
    // Older Windows leave a cut name unterminated.
    name[kModuleNameSize - 1] = '\0';
    UpperCaseAscii(name);
    return std::strcmp(name, target) == 0;
}

unsigned CountOnNt(const char* target)
{
    PsapiCalls calls;
    std::vector<DWORD> ids;
    if (BindPsapi(calls) != KILL_DONE || !ListProcessIds(calls.enumProcesses, ids))
        return 0;
    unsigned count = 0;
    for (const DWORD id : ids) {
        const UniqueKernelHandle process(OpenProcess(kNameRights, FALSE, id));
        count += process && IsExecutableNamed(calls, process.Get(), target) ? 1 : 0;
    }
    return count;
}

int KillOnNt(const char* target)
{
    PsapiCalls calls;
    const int bound = BindPsapi(calls);
    if (bound != KILL_DONE)
        return bound;
    std::vector<DWORD> ids;
    if (!ListProcessIds(calls.enumProcesses, ids))
        return KILL_LIST_FAILED;
    const auto matches = [&calls, target](HANDLE process) { return IsExecutableNamed(calls, process, target); };
    Endings endings;
    for (const DWORD id : ids)
        EndIfMatches(id, matches, endings);
    return endings.Finish();
}

// ---- 9x family: the Toolhelp functions ----

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

// NT 4 lacks the Toolhelp functions; they are bound by name, for one call.
struct ToolhelpCalls {
    UniqueLibrary library;
    CreateSnapshotFn createSnapshot = nullptr;
    ProcessWalkFn process32First = nullptr;
    ProcessWalkFn process32Next = nullptr;
};

int BindToolhelp(ToolhelpCalls& calls)
{
    calls.library.Reset(LoadSystemLibrary("Kernel32.DLL"));
    if (!calls.library)
        return KILL_NO_KERNEL32;
    const HMODULE library = calls.library.Get();
    calls.createSnapshot = LookUp<CreateSnapshotFn>(library, "CreateToolhelp32Snapshot");
    calls.process32First = LookUp<ProcessWalkFn>(library, "Process32First");
    calls.process32Next = LookUp<ProcessWalkFn>(library, "Process32Next");
    if (calls.createSnapshot == nullptr || calls.process32First == nullptr || calls.process32Next == nullptr) {
        calls.library.Reset();
        return KILL_TOOLHELP_INCOMPLETE;
    }
    return KILL_DONE;
}

// Whether the process entry's own executable bears the target name. The 9x
// family gives its full path; a module the process merely loaded (a program
// reading another's icon) does not count. Windows 98 reports names in upper
// case, but one started under a long name may keep its own spelling: file
// names are compared without regard to case.
bool IsNamed(const PROCESSENTRY32& entry, const char* target)
{
    char name[sizeof entry.szExeFile + 1] = {};
    std::memcpy(name, entry.szExeFile, sizeof entry.szExeFile);
    const char* slash = std::strrchr(name, '\\');
    return EqualsNoCase(slash != nullptr ? slash + 1 : name, target);
}

// Calls `visit` with each entry of a process listing taken now; false when
// none can be taken.
template <typename Visit>
bool ForEachProcess(const ToolhelpCalls& calls, Visit visit)
{
    UniqueSnapshot processes(calls.createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!processes)
        return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = calls.process32First(processes.Get(), &entry); more;
         more = calls.process32Next(processes.Get(), &entry)) {
        visit(entry);
        entry.dwSize = sizeof entry;
    }
    return true;
}

unsigned CountOn9x(const char* target)
{
    ToolhelpCalls calls;
    if (BindToolhelp(calls) != KILL_DONE)
        return 0;
    unsigned count = 0;
    ForEachProcess(calls, [&](const PROCESSENTRY32& entry) { count += IsNamed(entry, target) ? 1 : 0; });
    return count;
}

// Whether a listing taken now names process `id` by the target.
bool ListedAs(const ToolhelpCalls& calls, DWORD id, const char* target)
{
    bool named = false;
    ForEachProcess(calls, [&](const PROCESSENTRY32& entry) {
        named = named || (entry.th32ProcessID == id && IsNamed(entry, target));
    });
    return named;
}

// The 9x family names processes through snapshots taken by id only. A copy
// is opened before its name is read again, so the id still names the
// process that handle holds when the name is read.
int KillOn9x(const char* target)
{
    ToolhelpCalls calls;
    const int bound = BindToolhelp(calls);
    if (bound != KILL_DONE)
        return bound;
    std::vector<DWORD> named;
    if (!ForEachProcess(calls, [&](const PROCESSENTRY32& entry) {
            if (IsNamed(entry, target))
                named.push_back(entry.th32ProcessID);
        }))
        return KILL_SNAPSHOT_FAILED;
    Endings endings;
    for (const DWORD id : named)
        EndIfMatches(id, [&calls, id, target](HANDLE) { return ListedAs(calls, id, target); }, endings);
    return endings.Finish();
}

}  // namespace

int KillProcessByName(const char* imageName)
{
    ImageName target;
    if (!CopyTargetName(imageName, target))
        return KILL_BAD_NAME;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = kVersionRecordSize;
    if (!GetVersionExA(&version))
        return KILL_NO_VERSION;
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_NT:
        return KillOnNt(target);
    case VER_PLATFORM_WIN32_WINDOWS:
        return KillOn9x(target);
    default:
        return KILL_UNKNOWN_PLATFORM;
    }
}

unsigned CountProcessesByName(const char* imageName)
{
    ImageName target;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = kVersionRecordSize;
    if (!CopyTargetName(imageName, target) || !GetVersionExA(&version))
        return 0;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return CountOnNt(target);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return CountOn9x(target);
    return 0;
}

}  // namespace sysops
