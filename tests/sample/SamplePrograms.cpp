#include "sample/SamplePrograms.h"

#include "sysops/Handles.h"

#include <tlhelp32.h>

#include <cstring>
#include <vector>

namespace sample {

namespace {

using sysops::UniqueKernelHandle;
using sysops::UniqueServiceHandle;

constexpr DWORD kEndWaitMs = 10000;
constexpr DWORD kServiceWaitMs = 20000;
constexpr DWORD kPollMs = 100;

// Polls `state` of a service until it is `wanted` or `timeoutMs` passed.
bool WaitForServiceState(SC_HANDLE service, DWORD wanted, DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += kPollMs) {
        SERVICE_STATUS status = {};
        if (!QueryServiceStatus(service, &status))
            return false;
        if (status.dwCurrentState == wanted)
            return true;
        if (waited >= timeoutMs)
            return false;
        Sleep(kPollMs);
    }
}

// This process's standard handles, kept out of the programs it starts while
// the object lives.
class StandardHandlesKept {
public:
    StandardHandlesKept()
    {
        for (int i = 0; i < kCount; ++i) {
            handles_[i] = GetStdHandle(kWhich[i]);
            flags_[i] = 0;
            if (GetHandleInformation(handles_[i], &flags_[i]))
                SetHandleInformation(handles_[i], HANDLE_FLAG_INHERIT, 0);
        }
    }
    ~StandardHandlesKept()
    {
        for (int i = 0; i < kCount; ++i)
            SetHandleInformation(handles_[i], HANDLE_FLAG_INHERIT, flags_[i] & HANDLE_FLAG_INHERIT);
    }
    StandardHandlesKept(const StandardHandlesKept&) = delete;
    StandardHandlesKept& operator=(const StandardHandlesKept&) = delete;

private:
    static constexpr int kCount = 3;
    static constexpr DWORD kWhich[kCount] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE handles_[kCount];
    DWORD flags_[kCount];
};

// 98 and Me (and Wine pretending to be them) list a process by its full
// path, later Windows by the file name alone.
const char* FileNamePart(const char* path)
{
    const char* slash = std::strrchr(path, '\\');
    return slash != nullptr ? slash + 1 : path;
}

std::string LastErrorText(const char* what)
{
    return std::string(what) + " failed with error " + std::to_string(GetLastError());
}

}  // namespace

std::string HelperDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string module(path);
    return module.substr(0, module.find_last_of('\\'));
}

DWORD StartProgram(const std::string& path)
{
    // The program outlives the sample's tool. Given this process's standard
    // handles it would keep the pipe of a shell that reads the tool's output
    // open, and the shell would wait for it; it gets the null device instead.
    const StandardHandlesKept kept;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    UniqueKernelHandle nothing(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           &inherited, OPEN_EXISTING, 0, nullptr));
    if (nothing.Get() == INVALID_HANDLE_VALUE) {
        nothing.Release();
        return 0;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing.Get();
    PROCESS_INFORMATION process = {};
    std::string line = "\"" + path + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    if (!CreateProcessA(path.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
}

bool IsRunning(DWORD pid, const std::string& image)
{
    sysops::UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == pid)
            return lstrcmpiA(FileNamePart(entry.szExeFile), image.c_str()) == 0;
    }
    return false;
}

void EndProgram(DWORD pid, const std::string& image)
{
    if (!IsRunning(pid, image))
        return;
    UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process)
        return;
    TerminateProcess(process.Get(), 1);
    WaitForSingleObject(process.Get(), kEndWaitMs);
}

int RunAndWait(const std::string& commandLine, DWORD timeoutMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    UniqueKernelHandle owner(process.hProcess);
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}

bool InstallService(const std::string& name, const std::string& commandLine, std::string& error)
{
    RemoveService(name);  // a leftover of an earlier sample
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        error = LastErrorText("OpenSCManager");
        return false;
    }
    UniqueServiceHandle service(CreateServiceA(manager.Get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                               SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                               SERVICE_ERROR_IGNORE, commandLine.c_str(), nullptr, nullptr,
                                               nullptr, nullptr, nullptr));
    if (!service) {
        error = LastErrorText("CreateService");
        return false;
    }
    if (!StartServiceA(service.Get(), 0, nullptr)) {
        error = LastErrorText("StartService");
        return false;
    }
    if (!WaitForServiceState(service.Get(), SERVICE_RUNNING, kServiceWaitMs)) {
        error = "service " + name + " did not reach the running state";
        return false;
    }
    return true;
}

bool ServiceExists(const std::string& name)
{
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return false;
    UniqueServiceHandle service(OpenServiceA(manager.Get(), name.c_str(), SERVICE_QUERY_STATUS));
    return service.IsValid();
}

void RemoveService(const std::string& name)
{
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return;
    UniqueServiceHandle service(OpenServiceA(manager.Get(), name.c_str(), SERVICE_ALL_ACCESS));
    if (!service)
        return;
    SERVICE_STATUS status = {};
    if (ControlService(service.Get(), SERVICE_CONTROL_STOP, &status))
        WaitForServiceState(service.Get(), SERVICE_STOPPED, kServiceWaitMs);
    DeleteService(service.Get());
}

}  // namespace sample
