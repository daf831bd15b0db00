#include "sysops/ExportCall.h"

#include "sysops/FolderChain.h"
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

// The library's own dependencies come from its folder and the system
// folders only: where this Windows can say so (Windows 8, or 7 updated),
// nothing else is searched at all; elsewhere the search runs as it always
// did, with PATH narrowed to the system folders (SpawnAndWait does that).
HMODULE LoadComponent(const std::string& library)
{
    constexpr DWORD kSearchItsFolderAndSystem32 = 0x00000100 | 0x00000800;
    const HMODULE loaded = LoadLibraryExA(library.c_str(), nullptr, kSearchItsFolderAndSystem32);
    if (loaded != nullptr || GetLastError() != ERROR_INVALID_PARAMETER)
        return loaded;
    return LoadLibraryByPath(library.c_str());
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

Result CallExportApart(const std::string& library, const char* exportName, unsigned long boundMs)
{
    const std::string program = ProgramPath();
    const std::size_t slash = program.find_last_of('\\');
    if (slash == std::string::npos)
        return Result::Error(ERROR_BAD_PATHNAME);
    // The program started is this one: held, it can be neither replaced nor
    // renamed away, nor can the folders above it, until the call is over.
    FolderChain folder;
    folder.Hold(program.substr(0, slash), Links::OfAdministratorsAboveTheEnd);
    bool missing = false;
    const UniqueFile self = HoldFileIn(folder, program.c_str() + slash + 1, missing);
    if (!self)
        return Result::Error(missing ? ERROR_FILE_NOT_FOUND : ERROR_SHARING_VIOLATION);
    // Windows looks for the libraries a program needs in the program's own
    // folder first: the component would run beside whatever others put there.
    if (!OnlyAdministratorsCouldHavePut(folder, self.Get()))
        return Result::Because("others may change this program's own folder");
    const std::string arguments = std::string(kCallExportSwitch) + exportName + " " + library;
    unsigned long code = 0;
    const Result ran =
        SpawnAndWait(program.substr(0, slash), program.c_str() + slash + 1, arguments.c_str(), boundMs, &code);
    if (!ran.Done())
        return ran;
    if (code >= kExceptionCodes)
        return Result::Because("the component crashed", code);
    return Result::Error(code);
}

}  // namespace sysops
