#include "sysops/ExportCall.h"

#include "sysops/Handles.h"
#include "sysops/Spawn.h"
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

}  // namespace

unsigned long CallExportHere(const std::string& library, const std::string& exportName)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(&EndWithCode);
    const UniqueLibrary component(LoadLibraryByPath(library.c_str()));
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
