// The benchmark's sections and the clock they share. Each section builds its
// load in the Wine machine it runs in, times our primitive and the tool an
// administrator would use instead on the same load, prints both and their
// ratio, and removes what it made.
#pragma once

namespace bench {

// Seconds since an arbitrary start, from the performance counter.
double Now();

// One line of the report: what was timed, ours, theirs, and ours / theirs
// against the target ratio.
void Report(const char* what, double ours, const char* theirsName, double theirs, double targetRatio);

void RunFileTreeBenchmark();
void RunRegistryTreeBenchmark();
void RunInstallerBenchmark();

}  // namespace bench
