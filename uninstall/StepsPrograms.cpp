#include "uninstall/Steps.h"

#include "uninstall/Act.h"
#include "sysops/ExportCall.h"
#include "sysops/FolderChain.h"
#include "sysops/Handles.h"
#include "sysops/MessageWait.h"
#include "sysops/Ownership.h"
#include "sysops/PathIdentity.h"
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
constexpr const char* kIdentityComponentFolder = "Installation\\Seal5";
constexpr const char* kIdentityComponentFile = "idsl5in.dll";
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

// "0xC0000005": how exception codes are looked up.
std::string Hex(unsigned long code)
{
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        text.push_back("0123456789ABCDEF"[(code >> shift) & 0xF]);
    return text;
}

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

// The component, below the install tree: the folders that lead to it and
// the library itself, held from the look at who could have changed them to
// the end of the call.
struct HeldComponent {
    sysops::FolderChain folders;
    sysops::UniqueFile library;
    std::string path;  // canonical
};

// Missing, Refused (a link on its way, or not a file) or Held.
sysops::ChainState Hold(AcceptedTree& tree, HeldComponent& component)
{
    std::string folder;
    if (!sysops::JoinPath(tree.Chain().Path(), kIdentityComponentFolder, folder) ||
        !sysops::JoinPath(folder, kIdentityComponentFile, component.path))
        return sysops::ChainState::Refused;
    const sysops::ChainState state = component.folders.Hold(folder);
    if (state != sysops::ChainState::Held)
        return state;
    bool missing = false;
    component.library = sysops::HoldFileIn(component.folders, kIdentityComponentFile, missing);
    if (component.library)
        return sysops::ChainState::Held;
    return missing ? sysops::ChainState::Missing : sysops::ChainState::Refused;
}

// Code runs with the program's rights (an administrator's, or SYSTEM's)
// only when nobody else could have put it there: the library and every
// folder from the drive's root down to it belong to administrators and let
// nobody else change them. Creating new entries in the drive's root changes
// nothing on the way. The 9x family has no accounts to tell apart; on the
// NT family a volume that keeps no owners (FAT) lets everybody write.
bool OnlyAdministratorsCouldHavePutThere(const HeldComponent& component)
{
    if (!sysops::IsNtFamily())
        return true;
    if (!sysops::KeepsAccessLists(component.path.substr(0, 3)))
        return false;
    for (std::size_t i = 0; i < component.folders.Depth(); ++i) {
        const sysops::ObjectKind kind = i == 0 ? sysops::ObjectKind::DriveRoot : sysops::ObjectKind::Folder;
        if (!sysops::OnlyAdministratorsMayChange(component.folders.Handle(i), kind))
            return false;
    }
    return sysops::OnlyAdministratorsMayChange(component.library.Get(), sysops::ObjectKind::File);
}

// The call is made apart: a component that crashes or never returns ends
// or holds up only the process made for it.
Done CallApart(const HeldComponent& component, const char* exportName)
{
    const sysops::CallResult result = sysops::CallExportApart(component.path, exportName, kOutsideProgramBoundMs);
    switch (result.outcome) {
    case sysops::CallOutcome::Called: return Done();
    case sysops::CallOutcome::Crashed: return Done::Failure("the component crashed with exception " + Hex(result.error));
    case sysops::CallOutcome::NotCalled:
    case sysops::CallOutcome::TimedOut:
    case sysops::CallOutcome::NotStarted: break;
    }
    return Done(result.error);
}

void CallIdentityComponent(Run& run)
{
    const char* exportName = IsWin9x(sysops::GetOsClass()) ? kIdentityUninstallNeedReboot : kIdentityUninstall;
    std::string path;
    const std::string& base = run.installTree ? run.installTree->Path() : run.paths.installDir;
    if (!base.empty() && sysops::JoinPath(base, kIdentityComponent, path)) {
        const Item item = Item::IdentityComponent(path, exportName);
        HeldComponent component;
        if (!run.installTree)
            KeepUnseen(run, item, "the install directory was refused");
        else if (!run.installTree->Exists())
            run.Record().Add(item, Outcome::NotPresent);
        else if (const sysops::ChainState state = Hold(*run.installTree, component); state == sysops::ChainState::Missing)
            run.Record().Add(item, Outcome::NotPresent);
        else if (state == sysops::ChainState::Refused)
            Keep(run, item, "a folder on its way is a link, or it is not a file");
        else if (!OnlyAdministratorsCouldHavePutThere(component))
            Keep(run, item, "writable by others");
        else
            Act(run, item, [&] { return CallApart(component, exportName); });
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
