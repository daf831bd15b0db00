#include "sysops/Spawn.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"

#include <windows.h>

#include <vector>

namespace sysops {

int SpawnAndWait(const std::string& dir, const char* program, const char* arguments)
{
    std::string path;
    if (!JoinPath(dir, program, path))
        return -1;
    // The child's command line is writable memory, as CreateProcessA wants.
    const std::string commandLine = "\"" + path + "\" " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                        &info))
        return -1;
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.Get(), &exitCode))
        return -1;
    return static_cast<int>(exitCode);
}

}  // namespace sysops
