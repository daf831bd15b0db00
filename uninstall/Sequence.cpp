#include "uninstall/Sequence.h"

#include "uninstall/InstallDirGuard.h"
#include "uninstall/Locations.h"
#include "uninstall/Run.h"
#include "uninstall/Steps.h"
#include "sysops/Clock.h"

#include <windows.h>

namespace uninstall {
namespace {

constexpr const char* kFinalMessage =
    "Morvane has been removed successfuly.\n\nPlease Reboot the computer to complete the operation.";

// The last part of the bar fills at ten steps a second.
constexpr unsigned long kFillPauseMs = 100;

void Start(Run& run)
{
    run.Host().DisableButtons();
    run.Host().SetStatus("Uninstalling...");
}

// A run cut short removed nothing, but the dialog would offer no way out:
// both buttons are disabled, and when silent the window is not even shown.
RunOutcome CutShort(Run& run)
{
    if (run.IsSilent())
        run.Host().EndAsCancelled();
    else
        run.Host().EnableCancel();
    return RunOutcome::Aborted;
}

void Finish(Run& run)
{
    if (!run.IsSilent()) {
        run.Step();
        while (run.StepCount() <= kProgressSteps) {
            run.Step();
            sysops::Pause(kFillPauseMs);
        }
        run.Host().ShowMessage(kFinalMessage, "Information", MB_ICONINFORMATION);
    }
    run.Host().Close();
}

}  // namespace

RunOutcome RunUninstall(RunHost& host)
{
    Run run(host);
    Start(run);
    if (!DiscoverLocations(run))
        return CutShort(run);
    run.installTreeAccepted = IsRemovableInstallTree(run.paths.installDir, run.paths, run.is64BitWindows);
    EndProgramsAndUnregister(run);
    RemoveInstallTreeAndCaches(run);
    RemoveSystemFiles(run);
    const std::string menuProductDir = RemoveMenuAndDriver(run);
    RemoveRegistryEntries(run, menuProductDir);
    RemoveSharedReferences(run);
    Finish(run);
    return RunOutcome::Completed;
}

}  // namespace uninstall
