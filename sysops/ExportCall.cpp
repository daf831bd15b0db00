#include "sysops/ExportCall.h"

#include "sysops/FolderChain.h"
#include "sysops/Handles.h"
#include "sysops/Spawn.h"
#include "sysops/SystemFolders.h"
#include "sysops/SystemInfo.h"
#include "sysops/SystemLibrary.h"

#include <windows.h>

namespace sysops {
namespace {

// Exception codes have both top bits set; exit codes of a call that
// returned are Win32 codes, far below.
constexpr unsigned long kExceptionCodes = 0xC0000000ul;

// An exception nobody handles ends the process with its code, at once:
// no debugger, no box on a desktop nobody looks at.
LONG WINAPI EndWithCode(EXCEPTION_POINTERS* exception)
{
    ExitProcess(exception->ExceptionRecord->ExceptionCode);
}

// The library's own dependencies come from its folder and the system
// folders only: where this Windows can say so (Windows 8, or 7 updated),
// nothing else is searched at all; elsewhere the search runs as it always
// did, with PATH narrowed to the system folders by the starter.
HMODULE LoadComponent(const std::string& library)
{
    constexpr DWORD kSearchItsFolderAndSystem32 = 0x00000100 | 0x00000800;
    const HMODULE loaded = LoadLibraryExA(library.c_str(), nullptr, kSearchItsFolderAndSystem32);
    if (loaded != nullptr || GetLastError() != ERROR_INVALID_PARAMETER)
        return loaded;
    return LoadLibraryByPath(library.c_str());
}

// PATH as the started program finds it, for the length of one call.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& value)
    {
        const DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
        had_ = size != 0;
        if (had_) {
            old_.assign(size, '\0');
            had_ = GetEnvironmentVariableA("PATH", &old_[0], size) == size - 1;
            old_.resize(size - 1);
        }
        SetEnvironmentVariableA("PATH", value.c_str());
    }
    ~ScopedPath() { SetEnvironmentVariableA("PATH", had_ ? old_.c_str() : nullptr); }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

private:
    std::string old_;
    bool had_ = false;
};

// "<system directory>;<Windows directory>": folders only administrators write.
std::string SystemPath()
{
    std::string system;
    std::string windows;
    if (!ReadSystemDirectory(system) || !ReadWindowsDirectory(windows))
        return std::string();
    return system + ";" + windows;
}

}  // namespace

unsigned long CallExportHere(const std::string& library, const std::string& exportName)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(&EndWithCode);
    const UniqueLibrary component(LoadComponent(library));
    if (!component)
        return LastError();
    using ExportFn = int(WINAPI*)();
    const auto call = LookUp<ExportFn>(component.Get(), exportName.c_str());
    if (call == nullptr)
        return ERROR_PROC_NOT_FOUND;
    call();
    return 0;
}

CallResult CallExportApart(const std::string& library, const char* exportName, unsigned long boundMs)
{
    const std::string program = ProgramPath();
    const std::size_t slash = program.find_last_of('\\');
    if (slash == std::string::npos)
        return {CallOutcome::NotStarted, ERROR_BAD_PATHNAME};
    // The program started is this one: held, it can be neither replaced nor
    // renamed away, nor can the folders above it, until the call is over.
    FolderChain folder;
    folder.Hold(program.substr(0, slash), Links::OfAdministratorsAboveTheEnd);
    bool missing = false;
    const UniqueFile self = HoldFileIn(folder, program.c_str() + slash + 1, missing);
    if (!self)
        return {CallOutcome::NotStarted, static_cast<unsigned long>(missing ? ERROR_FILE_NOT_FOUND : ERROR_SHARING_VIOLATION)};
    const ScopedPath path(SystemPath());
    const std::string arguments = std::string(kCallExportSwitch) + exportName + " " + library;
    const int status = SpawnAndWait(program.substr(0, slash), program.c_str() + slash + 1, arguments.c_str(), boundMs);
    const unsigned long code = static_cast<unsigned long>(status);
    if (status == SPAWN_FAILED)
        return {CallOutcome::NotStarted, LastError()};
    if (status == SPAWN_TIMED_OUT)
        return {CallOutcome::TimedOut, ERROR_TIMEOUT};
    if (code >= kExceptionCodes)
        return {CallOutcome::Crashed, code};
    return {code == 0 ? CallOutcome::Called : CallOutcome::NotCalled, code};
}

}  // namespace sysops
