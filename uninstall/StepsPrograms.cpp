#include "uninstall/Steps.h"

#include "uninstall/Act.h"
#include "sysops/Handles.h"
#include "sysops/MessageWait.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/Processes.h"
#include "sysops/Services.h"
#include "sysops/Spawn.h"
#include "sysops/SystemInfo.h"
#include "sysops/SystemLibrary.h"

namespace uninstall {
namespace {

// The identity component, below the install directory, and its exports.
constexpr const char* kIdentityComponent = "Installation\\Seal5\\idsl5in.dll";
constexpr const char* kIdentityUninstall = "SealIdentityUninstall";
constexpr const char* kIdentityUninstallNeedReboot = "SealIdentityUninstallNeedReboot";

// The identity component waits this long for what it set in motion.
constexpr unsigned long kSettleMs = 1000;

// The product's service has this long to stop before its process is ended.
constexpr const char* kServiceName = "TQcltsrv";
constexpr unsigned long kServiceStopBoundMs = 30 * 1000;

// An outside program has this long before it is ended and the run goes on:
// one that hangs (a box on an invisible desktop, say) must not keep the
// product half removed until a deployment tool ends the run.
constexpr unsigned long kOutsideProgramBoundMs = 2 * 60 * 1000;

bool IsWin9xOrNt4(int osClass)
{
    return osClass == sysops::OSCLASS_WIN98 || osClass == sysops::OSCLASS_WINME || osClass == sysops::OSCLASS_NT4;
}

bool IsWin9x(int osClass)
{
    return osClass == sysops::OSCLASS_WIN98 || osClass == sysops::OSCLASS_WINME;
}

// What a search that ended copies of a program says, as a Win32 code; a
// program that was not running is no failure.
unsigned long EndingResult(int result)
{
    switch (result) {
    case sysops::KILL_DONE:
    case sysops::KILL_NOT_FOUND: return 0;
    case sysops::KILL_OPEN_FAILED:
    case sysops::KILL_TERMINATE_FAILED: return ERROR_ACCESS_DENIED;
    case sysops::KILL_STILL_RUNNING: return ERROR_TIMEOUT;
    default: return sysops::LastError();
    }
}

// Every running copy of the program.
void EndProcess(Run& run, const char* image)
{
    Act(run, Item::Process(image), [image] { return EndingResult(sysops::KillProcessByName(image)); });
}

// Before Windows 2000 the product ran as two programs; later as a service.
void EndProductProcesses(Run& run)
{
    if (IsWin9xOrNt4(sysops::GetOsClass())) {
        EndProcess(run, "tqcltsrv.exe");
        EndProcess(run, "tqdaemon.exe");
    } else {
        // Its executable lives in the install tree, which can go only once
        // the service's process has.
        Act(run, Item::Service(kServiceName), [] {
            sysops::StopService(kServiceName, kServiceStopBoundMs);
            sysops::RemoveService(kServiceName);
            return sysops::LastError();
        });
    }
    run.Step();
}

// An outside program that ran to its end counts as done, whatever it
// returned; one that could not start, or had to be ended, failed.
unsigned long ProgramResult(int result)
{
    if (result == sysops::SPAWN_FAILED)
        return sysops::LastError();
    return result == sysops::SPAWN_TIMED_OUT ? static_cast<unsigned long>(ERROR_TIMEOUT) : 0ul;
}

// The middleware's unregistration programs live in the 32-bit system
// directory; they are started from there by full path, never looked up in
// the current directory, where anybody could have put a program of that name.
void RunOutsideProgram(Run& run, const char* probe, const char* program, const char* arguments)
{
    const std::string& systemDir = run.paths.systemDir32;
    std::string path;
    if (sysops::JoinPath(systemDir, program, path)) {
        const Item item = Item::OutsideProgram(path, arguments);
        if (sysops::FileExists(systemDir.c_str(), probe) == 1)
            Act(run, item, [&] { return ProgramResult(sysops::SpawnAndWait(systemDir, program, arguments, kOutsideProgramBoundMs)); });
        else
            run.Record().Add(item, Outcome::NotPresent);
    }
    run.Step();
}

// Code runs with the program's rights only from an install directory the
// guard accepted: an empty, relative or foreign one (a folder anybody may
// create) is never loaded from. Its own dependencies come from its folder.
unsigned long CallExport(const std::string& path, const char* exportName)
{
    const sysops::UniqueLibrary component(sysops::LoadLibraryByPath(path.c_str()));
    if (!component)
        return sysops::LastError();
    using UninstallFn = int(WINAPI*)();
    const auto uninstall = sysops::LookUp<UninstallFn>(component.Get(), exportName);
    if (uninstall == nullptr)
        return ERROR_PROC_NOT_FOUND;
    uninstall();
    return 0;
}

void CallIdentityComponent(Run& run)
{
    std::string path;
    if (!run.paths.installDir.empty() && sysops::JoinPath(run.paths.installDir, kIdentityComponent, path)) {
        const char* exportName = IsWin9x(sysops::GetOsClass()) ? kIdentityUninstallNeedReboot : kIdentityUninstall;
        const Item item = Item::IdentityComponent(path, exportName);
        if (!IsThere(run, Item::File(path)))
            run.Record().Add(item, Outcome::NotPresent);
        else if (!run.installTreeAccepted)
            run.Record().Add(item, Outcome::Kept, "the install directory was refused");
        else
            Act(run, item, [&] { return CallExport(path, exportName); });
    }
    run.Step();
}

}  // namespace

void EndProgramsAndUnregister(Run& run)
{
    EndProductProcesses(run);
    EndProcess(run, "scmon.exe");
    run.Step();
    EndProcess(run, "certmng.exe");
    run.Step();
    RunOutsideProgram(run, "APICore.dll", "regsvr32.exe", "-s -u APICore.dll");
    RunOutsideProgram(run, "scmon.exe", "scmon.exe", "-unregserver");
    CallIdentityComponent(run);
    // A preview set nothing in motion. What the component did may well send
    // our window a message.
    if (!run.IsPreview()) {
        run.BeginStage("pause");
        sysops::WaitDispatching(nullptr, kSettleMs);
    }
}

}  // namespace uninstall
