// The working state of one uninstall run: where things are, what was decided
// about this machine when the run started, how far the progress bar has
// gone, and the boxes the run shows.
#pragma once

#include "uninstall/Catalogue.h"
#include "uninstall/InstallDirGuard.h"
#include "uninstall/Record.h"
#include "uninstall/RunHost.h"
#include "uninstall/RunPaths.h"

#include <optional>
#include <string>
#include <vector>

namespace uninstall {

// What the run does with each item: remove it, or only look whether it is
// there (a preview changes nothing).
enum class Mode { Remove, Preview };

class Run {
public:
    // Asks the system once whether Windows is 64-bit. Every item the run acts
    // on goes into `record`.
    Run(RunHost& host, RunRecord& record, Mode mode = Mode::Remove);

    RunHost& Host() { return host_; }
    bool IsSilent() const { return host_.IsSilent(); }

    // `steps` steps of the bar (the catalogue's weights), each unless silent
    // or already full.
    void Step(int steps = 1);
    int StepCount() const { return stepCount_; }

    // Shown only with /debug.
    void DebugBox(const std::string& text, const char* caption);
    // Shown only when not silent.
    void ErrorBox(const char* text);

    // Marks in the record where a stage of the run begins, with the time
    // since the run began, so that a record shows where the time goes.
    void BeginStage(const char* name);

    // What the catalogue's conditions ask of this run.
    RowContext Context() const;
    // The registry view a catalogue row names (view64: 1 the 64-bit one).
    sysops::RegistryView View(int view64) const { return sysops::RegistryView::Of(is64BitWindows, view64); }
    // The view Windows Installer keeps its records in: the 64-bit one on
    // 64-bit Windows.
    sysops::RegistryView InstallerView() const { return View(1); }
    // The view of the product's own configuration, written by its 32-bit
    // installer: the 32-bit one on 64-bit Windows.
    sysops::RegistryView ProductView() const { return View(0); }
    // Every view, the 32-bit one first.
    std::vector<sysops::RegistryView> Views() const;

    bool IsPreview() const { return mode_ == Mode::Preview; }
    RunRecord& Record() { return record_; }

    RunPaths paths;
    // Asked once, when the run begins.
    const bool is64BitWindows;
    const int osClass;
    // The install directory as the guard accepted it, once the locations
    // are known: the only way to the install tree. Empty when there is none
    // or it was refused, and then installTreeRefusal says why.
    std::optional<AcceptedTree> installTree;
    std::string installTreeRefusal;
    // What a preview has found and so takes as gone; a few hundred at most.
    std::vector<ItemIdentity> takenAsGone;

private:
    RunHost& host_;
    RunRecord& record_;
    Mode mode_;
    int stepCount_ = 1;
    unsigned long startMs_;
};

}  // namespace uninstall
