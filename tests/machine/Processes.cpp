#include "machine/Processes.h"

#include "machine/TimeOut.h"
#include "sysops/Handles.h"

#include <tlhelp32.h>

#include <chrono>
#include <cstring>

namespace machine {
namespace {

using sysops::UniqueKernelHandle;
using sysops::UniqueSnapshot;

constexpr TimeOut kEndWait = std::chrono::seconds(10);

const char* FileNamePart(const char* path)
{
    const char* slash = std::strrchr(path, '\\');
    return slash != nullptr ? slash + 1 : path;
}

bool SameName(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

}  // namespace

std::vector<ProcessEntry> RunningProcesses()
{
    std::vector<ProcessEntry> processes;
    const UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return processes;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry))
        processes.push_back({entry.th32ProcessID, FileNamePart(entry.szExeFile)});
    return processes;
}

std::size_t CountRunning(const char* image)
{
    std::size_t count = 0;
    for (const ProcessEntry& process : RunningProcesses())
        count += SameName(process.image, image);
    return count;
}

bool IsRunning(DWORD pid, const std::string& image)
{
    for (const ProcessEntry& process : RunningProcesses()) {
        if (process.id == pid)
            return SameName(process.image, image.c_str());
    }
    return false;
}

void EndProcess(DWORD pid, const std::string& image, UINT status)
{
    if (!IsRunning(pid, image))
        return;
    const UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (process && TerminateProcess(process.Get(), status))
        WaitForSingleObject(process.Get(), Milliseconds(kEndWait));
}

void EndAll(const char* image, UINT status)
{
    for (const ProcessEntry& process : RunningProcesses()) {
        if (SameName(process.image, image))
            EndProcess(process.id, process.image, status);
    }
}

bool HasModule(DWORD pid, const std::string& name)
{
    const UniqueSnapshot modules(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    if (!modules)
        return false;
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(modules.Get(), &module); more; more = Module32Next(modules.Get(), &module)) {
        if (name == module.szModule)
            return true;
    }
    return false;
}

}  // namespace machine
