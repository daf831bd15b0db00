#include "sysops/Spawn.h"

#include "sysops/Handles.h"
#include "sysops/MessageWait.h"
#include "sysops/PathText.h"

#include <windows.h>

#include <vector>

namespace sysops {
namespace {

// A program that was ended has this long to be gone.
constexpr unsigned long kEndedWaitMs = 5000;
// The exit code it is ended with.
constexpr UINT kEndedExitCode = 1;

}  // namespace

int SpawnAndWait(const std::string& dir, const char* program, const char* arguments, unsigned long boundMs)
{
    std::string path;
    if (!JoinPath(dir, program, path))
        return SPAWN_FAILED;
    // The child's command line is writable memory, as CreateProcessA wants.
    const std::string commandLine = "\"" + path + "\" " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                        &info))
        return SPAWN_FAILED;
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);
    if (!WaitDispatching(process.Get(), boundMs)) {
        TerminateProcess(process.Get(), kEndedExitCode);
        WaitDispatching(process.Get(), kEndedWaitMs);
        return SPAWN_TIMED_OUT;
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.Get(), &exitCode))
        return SPAWN_FAILED;
    return static_cast<int>(exitCode);
}

}  // namespace sysops
