#include "uninstall/Sequence.h"

#include "uninstall/Locations.h"
#include "uninstall/Run.h"
#include "uninstall/Steps.h"
#include "sysops/Probes.h"

#include <windows.h>

namespace uninstall {
namespace {

constexpr const char* kFinalMessage =
    "Morvane has been removed successfuly.\n\nPlease Reboot the computer to complete the operation.";

// The last part of the bar fills at ten steps a second.
constexpr DWORD kFillPauseMs = 100;

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
        while (run.StepCount() <= Run::kProgressSteps) {
            run.Step();
            Sleep(kFillPauseMs);
        }
        run.Host().ShowMessage(kFinalMessage, "Information", MB_ICONINFORMATION);
    }
    run.Host().Close();
}

}  // namespace

RunOutcome RunUninstall(RunHost& host)
{
    Run run(host);
    run.is64BitWindows = sysops::Is64BitWindows() == 1;
    Start(run);
    if (!DiscoverLocations(run))
        return CutShort(run);
    EndProgramsAndUnregister(run);
    RemoveInstallTreeAndCaches(run);
    RemoveSystemFiles(run);
    RemoveMenuAndDriver(run);
    RemoveRegistryEntries(run);
    RemoveSharedReferences(run);
    Finish(run);
    return RunOutcome::Completed;
}

}  // namespace uninstall
