#include "sysops/Spawn.h"

#include "sysops/Handles.h"
#include "sysops/MessageWait.h"
#include "sysops/PathText.h"
#include "sysops/SystemFolders.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sysops {
namespace {

// A program that was ended has this long to be gone.
constexpr unsigned long kEndedWaitMs = 5000;
// The exit code it is ended with.
constexpr UINT kEndedExitCode = 1;

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

Result SpawnAndWait(const std::string& dir, const char* program, const char* arguments, unsigned long boundMs,
                    unsigned long* exitCode)
{
    std::string path;
    if (!JoinPath(dir, program, path))
        return Result::Error(ERROR_FILENAME_EXCED_RANGE);
    // The child's command line is writable memory, as CreateProcessA wants.
    const std::string commandLine = "\"" + path + "\" " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');

    std::string systemDir;
    if (!ReadSystemDirectory(systemDir))
        return Result::LastError();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    {
        const ScopedPath searchPath(SystemPath());
        if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, systemDir.c_str(),
                            &startup, &info))
            return Result::LastError();
    }
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);
    if (!WaitDispatching(process.Get(), boundMs)) {
        TerminateProcess(process.Get(), kEndedExitCode);
        WaitDispatching(process.Get(), kEndedWaitMs);
        return Result::Error(ERROR_TIMEOUT);
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code))
        return Result::LastError();
    if (exitCode != nullptr)
        *exitCode = code;
    return Result::Ok();
}

}  // namespace sysops
