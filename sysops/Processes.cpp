#include "sysops/Processes.h"

#include "sysops/Handles.h"
#include "sysops/PathIdentity.h"
#include "sysops/PathText.h"
#include "sysops/ProcessEndings.h"
#include "sysops/SystemCalls.h"

#include <tlhelp32.h>

#include <cstddef>
#include <cstring>
#include <string>
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

// The ANSI Toolhelp records, of the sizes every Windows accepts.
static_assert(sizeof(PROCESSENTRY32) == 296, "ANSI process entry");

// The name asked for; false for a missing, empty or too long one.
// Measuring stops one past the limit, so an unterminated name is not read
// beyond it.
bool ReadTargetName(const char* imageName, std::string& target)
{
    if (imageName == nullptr)
        return false;
    std::size_t length = 0;
    while (length <= kMaxNameLength && imageName[length] != '\0')
        ++length;
    if (length == 0 || length > kMaxNameLength)
        return false;
    target.assign(imageName, length);
    return true;
}

// ---- NT family: the process-status library ----

// Every process identifier. EnumProcesses fills what fits without saying
// that more were left out, so the array grows until part of it stays unused.
bool ListProcessIds(std::vector<DWORD>& ids)
{
    ids.assign(kFirstIdCount, 0);
    for (;;) {
        const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        DWORD returned = 0;
        if (!Calls().enumProcesses(ids.data(), capacity, &returned))
            return false;
        if (returned < capacity || ids.size() >= kMaxIdCount) {
            ids.resize(returned / sizeof(DWORD));
            return true;
        }
        ids.assign(ids.size() * 2, 0);
    }
}

// Whether the executable of `process` is named `target`. A process whose
// name cannot be read (system processes) is nobody's copy.
bool IsExecutableNamed(HANDLE process, const std::string& target)
{
    // The first module listed is the executable itself.
    HMODULE executable = nullptr;
    DWORD needed = 0;
    if (!Calls().enumProcessModules(process, &executable, sizeof executable, &needed))
        return false;
    char name[kModuleNameSize] = {};
    if (Calls().getModuleBaseName(process, executable, name, kModuleNameSize) == 0)
        return false;
    // Older Windows leave a cut name unterminated.
    name[kModuleNameSize - 1] = '\0';
    return SameText(name, target);
}

// PSAPI.DLL is not part of NT 4 as shipped.
Result PsapiReady()
{
    if (!Calls().psapiLoaded)
        return Result::Error(ERROR_MOD_NOT_FOUND);
    return Calls().HasPsapi() ? Result::Ok() : Result::Error(ERROR_PROC_NOT_FOUND);
}

unsigned CountOnNt(const std::string& target)
{
    std::vector<DWORD> ids;
    if (!PsapiReady().Done() || !ListProcessIds(ids))
        return 0;
    unsigned count = 0;
    for (const DWORD id : ids) {
        const UniqueKernelHandle process(OpenProcess(kNameRights, FALSE, id));
        count += process && IsExecutableNamed(process.Get(), target) ? 1 : 0;
    }
    return count;
}

Result KillOnNt(const std::string& target)
{
    const Result ready = PsapiReady();
    std::vector<DWORD> ids;
    if (!ready.Done())
        return ready;
    if (!ListProcessIds(ids))
        return Result::LastError();
    const auto matches = [&target](HANDLE process) { return IsExecutableNamed(process, target); };
    Endings endings;
    for (const DWORD id : ids)
        EndIfMatches(id, matches, endings);
    return endings.Finish();
}

// ---- 9x family: the Toolhelp functions ----

// Whether the process entry's own executable bears the target name. The 9x
// family gives its full path; a module the process merely loaded (a program
// reading another's icon) does not count. Windows 98 reports names in upper
// case, but one started under a long name may keep its own spelling: file
// names are compared without regard to case.
bool IsNamed(const PROCESSENTRY32& entry, const std::string& target)
{
    char name[sizeof entry.szExeFile + 1] = {};
    std::memcpy(name, entry.szExeFile, sizeof entry.szExeFile);
    const char* slash = std::strrchr(name, '\\');
    return SameText(slash != nullptr ? slash + 1 : name, target);
}

// Calls `visit` with each entry of a process listing taken now; false when
// none can be taken.
template <typename Visit>
bool ForEachProcess(Visit visit)
{
    const SystemCalls& calls = Calls();
    if (!calls.HasToolhelp())
        return false;
    UniqueSnapshot processes(calls.createToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
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

unsigned CountOn9x(const std::string& target)
{
    unsigned count = 0;
    ForEachProcess([&](const PROCESSENTRY32& entry) { count += IsNamed(entry, target) ? 1 : 0; });
    return count;
}

// Whether a listing taken now names process `id` by the target.
bool ListedAs(DWORD id, const std::string& target)
{
    bool named = false;
    ForEachProcess([&](const PROCESSENTRY32& entry) {
        named = named || (entry.th32ProcessID == id && IsNamed(entry, target));
    });
    return named;
}

// The 9x family names processes through snapshots only. A copy is opened
// before its name is read again, so the id still names the process that
// handle holds when the name is read.
Result KillOn9x(const std::string& target)
{
    if (!Calls().HasToolhelp())
        return Result::Error(ERROR_PROC_NOT_FOUND);
    std::vector<DWORD> named;
    if (!ForEachProcess([&](const PROCESSENTRY32& entry) {
            if (IsNamed(entry, target))
                named.push_back(entry.th32ProcessID);
        }))
        return Result::LastError();
    Endings endings;
    for (const DWORD id : named)
        EndIfMatches(id, [id, &target](HANDLE) { return ListedAs(id, target); }, endings);
    return endings.Finish();
}

}  // namespace

Result KillProcessByName(const char* imageName)
{
    std::string target;
    if (!ReadTargetName(imageName, target))
        return Result::Error(ERROR_INVALID_NAME);
    return IsNtFamily() ? KillOnNt(target) : KillOn9x(target);
}

unsigned CountProcessesByName(const char* imageName)
{
    std::string target;
    if (!ReadTargetName(imageName, target))
        return 0;
    return IsNtFamily() ? CountOnNt(target) : CountOn9x(target);
}

}  // namespace sysops
