#include "machine/Child.h"

#include "machine/Environment.h"

#include <chrono>

namespace machine {
namespace {

using sysops::UniqueKernelHandle;

constexpr TimeOut kKillWait = std::chrono::seconds(10);

// This process's standard handles, kept out of the programs it starts while
// the object lives.
class StandardHandlesKept {
public:
    explicit StandardHandlesKept(bool wanted)
    {
        for (int i = 0; i < kCount; ++i) {
            handles_[i] = nullptr;
            flags_[i] = 0;
            if (!wanted)
                continue;
            handles_[i] = GetStdHandle(kWhich[i]);
            if (GetHandleInformation(handles_[i], &flags_[i]))
                SetHandleInformation(handles_[i], HANDLE_FLAG_INHERIT, 0);
        }
    }
    ~StandardHandlesKept()
    {
        for (int i = 0; i < kCount; ++i) {
            if (handles_[i] != nullptr)
                SetHandleInformation(handles_[i], HANDLE_FLAG_INHERIT, flags_[i] & HANDLE_FLAG_INHERIT);
        }
    }
    StandardHandlesKept(const StandardHandlesKept&) = delete;
    StandardHandlesKept& operator=(const StandardHandlesKept&) = delete;

private:
    static constexpr int kCount = 3;
    static constexpr DWORD kWhich[kCount] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE handles_[kCount];
    DWORD flags_[kCount];
};

UniqueKernelHandle OpenNullDevice()
{
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const HANDLE device = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      &inherited, OPEN_EXISTING, 0, nullptr);
    return UniqueKernelHandle(device == INVALID_HANDLE_VALUE ? nullptr : device);
}

}  // namespace

Child::Child(const Launch& launch)
{
    std::vector<char> line(launch.commandLine.begin(), launch.commandLine.end());
    line.push_back('\0');
    std::vector<char> environment;
    if (!launch.environment.empty())
        environment = EnvironmentWith(launch.environment);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const bool discard = launch.handles == StandardHandles::Discarded;
    const StandardHandlesKept kept(discard);
    const UniqueKernelHandle nothing = discard ? OpenNullDevice() : UniqueKernelHandle();
    if (discard && !nothing) {
        startError_ = GetLastError();
        return;
    }
    if (discard) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing.Get();
    }
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, discard, 0,
                        environment.empty() ? nullptr : environment.data(),
                        launch.directory.empty() ? nullptr : launch.directory.c_str(), &startup, &process)) {
        startError_ = GetLastError();
        return;
    }
    const UniqueKernelHandle thread(process.hThread);
    process_.Reset(process.hProcess);
    started_ = true;
    id_ = process.dwProcessId;
}

Child::~Child()
{
    Kill();
}

bool Child::Running() const
{
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

int Child::ExitCode(TimeOut timeOut) const
{
    DWORD code = 0;
    if (!process_ || WaitForSingleObject(process_.Get(), Milliseconds(timeOut)) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.Get(), &code))
        return -1;
    return static_cast<int>(code);
}

void Child::Kill(UINT status)
{
    if (!Running())
        return;
    TerminateProcess(process_.Get(), status);
    WaitForSingleObject(process_.Get(), Milliseconds(kKillWait));
}

DWORD Child::Detach()
{
    process_.Reset();
    return id_;
}

std::string CommandLine(const std::string& program, const std::string& arguments)
{
    std::string line = "\"" + program + "\"";
    if (!arguments.empty())
        line += " " + arguments;
    return line;
}

int RunAndWait(const Launch& launch, TimeOut timeOut)
{
    Child child(launch);
    return child.ExitCode(timeOut);
}

int RunAndWait(const std::string& commandLine, TimeOut timeOut)
{
    return RunAndWait(Launch{commandLine, std::string(), {}, StandardHandles::Shared}, timeOut);
}

bool RestartWindows()
{
    return RunAndWait("wineboot.exe -r", std::chrono::minutes(1)) == 0;
}

}  // namespace machine
