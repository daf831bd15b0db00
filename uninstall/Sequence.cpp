#include "uninstall/Sequence.h"

#include "uninstall/Act.h"
#include "uninstall/InstallDirGuard.h"
#include "uninstall/Locations.h"
#include "uninstall/Run.h"
#include "uninstall/Steps.h"
#include "uninstall/Texts.h"
#include "sysops/Clock.h"
#include "sysops/SystemInfo.h"

#include <windows.h>

#include <utility>

namespace uninstall {
namespace {

// The last part of the bar fills at ten steps a second.
constexpr unsigned long kFillPauseMs = 100;

void Start(Run& run)
{
    run.Host().DisableButtons();
    run.Host().SetStatus(texts::kRunning);
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

// The locations the run found, and what the guard made of the install directory.
void NoteLocations(Run& run)
{
    const RunPaths& paths = run.paths;
    auto note = [&run](const char* what, const std::string& path) {
        run.Record().Note("location", std::string(what) + " " + (path.empty() ? std::string("(none)") : path));
    };
    note("windows directory", paths.windowsDir);
    note("system directory", paths.systemDir32);
    if (run.is64BitWindows)
        note("native system directory", paths.systemDir64);
    note("program-files directory", paths.programFilesDir);
    note("install directory", paths.installDir);
    if (!run.installTreeRefusal.empty())
        note("install directory refused by the install-tree guard:", paths.installDir + "  [" + run.installTreeRefusal + "]");
}

// From here on the install directory is reached only through what the
// guard accepted, held until the run ends.
void JudgeInstallDir(Run& run)
{
    if (run.paths.installDir.empty())
        return;
    InstallTreeVerdict verdict = JudgeInstallTree(run.paths.installDir, run.paths, run.is64BitWindows);
    run.installTree = std::move(verdict.tree);
    run.installTreeRefusal = verdict.refusal;
}

void Finish(Run& run)
{
    if (!run.IsSilent() && !run.IsPreview()) {
        run.Step();
        while (run.StepCount() <= kProgressSteps) {
            run.Step();
            sysops::Pause(kFillPauseMs);
        }
        run.Host().ShowMessage(texts::kFinal, texts::kFinalCaption, MB_ICONINFORMATION);
    }
    if (!run.IsPreview())
        run.Host().Close();
}

}  // namespace

RunOutcome RunUninstall(RunHost& host, RunRecord& record, Mode mode)
{
    Run run(host, record, mode);
    Start(run);
    run.BeginStage("discovery");
    if (!DiscoverLocations(run)) {
        record.Note("aborted", "a location the run needs was not found");
        return CutShort(run);
    }
    JudgeInstallDir(run);
    NoteLocations(run);
    run.BeginStage("programs");
    EndProgramsAndUnregister(run);
    run.BeginStage("files");
    RemoveInstallTreeAndCaches(run);
    RemoveSystemFiles(run);
    const std::vector<std::string> menuProductDirs = RemoveMenuAndDriver(run);
    RemoveRegistryEntries(run, menuProductDirs);
    run.BeginStage("references");
    RemoveSharedReferences(run);
    run.BeginStage("end");
    if (!run.IsPreview())
        CollectResidue(run);
    Finish(run);
    return RunOutcome::Completed;
}

RunOutcome RunUninstall(RunHost& host)
{
    RunRecord record;
    return RunUninstall(host, record);
}

}  // namespace uninstall
