#include "uninstall/Steps.h"

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
#include "uninstall/Act.h"

namespace uninstall {
namespace {

// The identity component waits this long for what it set in motion.
constexpr unsigned long kSettleMs = 1000;

// The product's service has this long to stop before its process is ended.
constexpr unsigned long kServiceStopBoundMs = 30 * 1000;

// An outside program, and the identity component's call, have this long
// before they are ended and the run goes on: one that hangs (a box on an
// invisible desktop, say) must not keep the product half removed until a
// deployment tool ends the run.
constexpr unsigned long kOutsideProgramBoundMs = 2 * 60 * 1000;

// Every running copy of each program whose row applies.
void EndProcesses(Run& run, const Rows<ProcessRow>& rows)
{
    for (const ProcessRow& row : rows) {
        if (!Holds(row.when, run.Context()))
            continue;
        Act(run, Item::Process(row.image), [&row] { return sysops::KillProcessByName(row.image); });
        run.Step(row.steps);
    }
}

// Its executable lives in the install tree, which can go only once the
// service's process has.
void StopAndRemoveService(Run& run, const ServiceRow& row)
{
    if (!Holds(row.when, run.Context()))
        return;
    Act(run, Item::Service(row.name), [&row] {
        const sysops::Result stopped = sysops::StopService(row.name, kServiceStopBoundMs);
        const sysops::Result removed = sysops::RemoveService(row.name);
        return removed.Done() ? stopped : removed;
    });
    run.Step(row.steps);
}

// The middleware's unregistration programs live in the 32-bit system
// directory; they are started from there by full path, never looked up in
// the current directory, where anybody could have put a program of that name.
void RunOutsideProgram(Run& run, const OutsideProgramRow& row)
{
    const std::string& systemDir = run.paths.systemDir32;
    std::string path;
    if (sysops::JoinPath(systemDir, row.program, path)) {
        const Item item = Item::OutsideProgram(path, row.arguments);
        if (sysops::FileExists(systemDir.c_str(), row.probe))
            Act(run, item, [&] { return sysops::SpawnAndWait(systemDir, row.program, row.arguments, kOutsideProgramBoundMs); });
        else
            run.Record().Add(item, Outcome::NotPresent);
    }
    run.Step(row.steps);
}

// The component, below the install tree: the folders that lead to it and
// the library itself, held from the look at who could have changed them to
// the end of the call.
struct HeldComponent {
    sysops::FolderChain folders;
    sysops::UniqueFile library;
    std::string path;  // as held
};

// Missing, Refused (a link on its way, or not a file) or Held.
sysops::ChainState Hold(AcceptedTree& tree, HeldComponent& component)
{
    std::string folder;
    if (!sysops::JoinPath(tree.Chain().Path(), IdentityComponent.folder, folder) ||
        !sysops::JoinPath(folder, IdentityComponent.file, component.path))
        return sysops::ChainState::Refused;
    const sysops::ChainState state = component.folders.Hold(folder);
    if (state != sysops::ChainState::Held)
        return state;
    bool missing = false;
    component.library = sysops::HoldFileIn(component.folders, IdentityComponent.file, missing);
    if (component.library)
        return sysops::ChainState::Held;
    return missing ? sysops::ChainState::Missing : sysops::ChainState::Refused;
}

void CallIdentityComponent(Run& run)
{
    const IdentityComponentRow& row = IdentityComponent;
    const char* exportName = Holds(When::On9x, run.Context()) ? row.exportOn9x : row.exportElsewhere;
    std::string relative;
    std::string path;
    const std::string& base = run.installTree ? run.installTree->Path() : run.paths.installDir;
    if (!base.empty() && sysops::JoinPath(row.folder, row.file, relative) &&
        sysops::JoinPath(base, relative.c_str(), path)) {
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
        else if (!sysops::OnlyAdministratorsCouldHavePut(component.folders, component.library.Get()))
            Keep(run, item, "writable by others");
        else
            // Apart: a component that crashes or never returns ends or
            // holds up only the process made for it.
            Act(run, item, [&] { return sysops::CallExportApart(component.path, exportName, kOutsideProgramBoundMs); });
    }
    run.Step(row.steps);
}

}  // namespace

void EndProgramsAndUnregister(Run& run)
{
    EndProcesses(run, ProductProcesses);
    StopAndRemoveService(run, ProductService);
    EndProcesses(run, MiddlewareProcesses);
    for (const OutsideProgramRow& row : OutsidePrograms)
        RunOutsideProgram(run, row);
    CallIdentityComponent(run);
    // A preview set nothing in motion. What the component did may well send
    // our window a message.
    if (!run.IsPreview()) {
        run.BeginStage("pause");
        sysops::WaitDispatching(nullptr, kSettleMs);
    }
}

}  // namespace uninstall
