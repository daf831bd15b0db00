// The benchmark's sections and the clock they share. Each section builds its
// load in the Wine machine it runs in, times our primitive and the tool an
// administrator would use instead on the same load, prints both and their
// ratio, and removes what it made.
#pragma once

namespace bench {

// Seconds since an arbitrary start, from the performance counter.
double Now();

// What our time is measured against: a name, its time, and the ratio ours
// should stay within (printed, never asserted).
struct Baseline {
    const char* name;
    double seconds;
    double targetRatio;
};

// One line of the report: what was timed, ours, and ours against each
// baseline (the plainest in-process loop first, then the administrator's tool).
void Report(const char* what, double ours, const Baseline& floor, const Baseline* tool = nullptr);

void RunFileTreeBenchmark();
void RunRegistryTreeBenchmark();
void RunInstallerBenchmark();
// The silent run of the sample installation, stage by stage.
void RunWholeRunBenchmark();

}  // namespace bench
