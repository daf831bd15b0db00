#include "uninstall/Steps.h"

#include "sysops/Handles.h"
#include "sysops/MessageWait.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/Processes.h"
#include "sysops/Services.h"
#include "sysops/Spawn.h"
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

// Before Windows 2000 the product ran as two programs; later as a service.
void EndProductProcesses(Run& run)
{
    if (IsWin9xOrNt4(sysops::GetOsClass())) {
        sysops::KillProcessByName("tqcltsrv.exe");
        sysops::KillProcessByName("tqdaemon.exe");
    } else {
        // Its executable lives in the install tree, which can go only once
        // the service's process has.
        sysops::StopService(kServiceName, kServiceStopBoundMs);
        sysops::RemoveService(kServiceName);
    }
    run.Step();
}

// The middleware's unregistration programs live in the 32-bit system
// directory; they are started from there by full path, never looked up in
// the current directory, where anybody could have put a program of that name.
void RunOutsideProgram(Run& run, const char* probe, const char* program, const char* arguments)
{
    const std::string& systemDir = run.paths.systemDir32;
    if (sysops::FileExists(systemDir.c_str(), probe))
        sysops::SpawnAndWait(systemDir, program, arguments, kOutsideProgramBoundMs);
    run.Step();
}

// Code runs with the program's rights only from an install directory the
// guard accepted: an empty, relative or foreign one (a folder anybody may
// create) is never loaded from. Its own dependencies come from its folder.
void CallIdentityComponent(Run& run)
{
    std::string path;
    if (run.installTreeAccepted && sysops::JoinPath(run.paths.installDir, kIdentityComponent, path)) {
        const sysops::UniqueLibrary component(sysops::LoadLibraryByPath(path.c_str()));
        if (component) {
            const char* exportName = IsWin9x(sysops::GetOsClass()) ? kIdentityUninstallNeedReboot : kIdentityUninstall;
            using UninstallFn = int(WINAPI*)();
            const auto uninstall = sysops::LookUp<UninstallFn>(component.Get(), exportName);
            if (uninstall != nullptr)
                uninstall();
        }
    }
    run.Step();
}

}  // namespace

void EndProgramsAndUnregister(Run& run)
{
    EndProductProcesses(run);
    sysops::KillProcessByName("scmon.exe");
    run.Step();
    sysops::KillProcessByName("certmng.exe");
    run.Step();
    RunOutsideProgram(run, "APICore.dll", "regsvr32.exe", "-s -u APICore.dll");
    RunOutsideProgram(run, "scmon.exe", "scmon.exe", "-unregserver");
    CallIdentityComponent(run);
    // What the component set in motion may well send our window a message.
    sysops::WaitDispatching(nullptr, kSettleMs);
}

}  // namespace uninstall
