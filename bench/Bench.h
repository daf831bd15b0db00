// The benchmark's sections and the clock they share. Each section builds its
// load in the Wine machine it runs in, times our primitive and the tool an
// administrator would use instead on the same load, prints both and their
// ratio, and removes what it made.
#pragma once

#include <functional>
#include <vector>

namespace bench {

// Seconds since an arbitrary start, from the performance counter.
double Now();

// The times one side took, round by round.
struct Times {
    std::vector<double> seconds;

    double Min() const;
    double Median() const;
    double Max() const;
};

// Rounds of a contest: in each, `build` makes a fresh copy of the same load
// for every side, and the sides take turns to go first, so that whatever
// else the machine is doing falls on all of them alike. Each side says
// whether its load is gone; `complete` is false when one was not, or a load
// could not be built.
struct Contest {
    std::vector<Times> sides;
    bool complete = true;
};
Contest RunRounds(int rounds, const std::function<bool()>& build, const std::vector<std::function<bool()>>& sides);

// At least this many rounds, for a median that one slow round cannot move.
constexpr int kMinRounds = 3;

// What our time is measured against: a name, its times, and the ratio of
// the medians ours should stay within (printed, never asserted).
struct Baseline {
    const char* name;
    Times times;
    double targetRatio;
};

// One block of the report: what was timed, the minimum, median and maximum
// of ours and of each baseline (the plainest in-process loop first, then the
// administrator's tool), and the ratio of the medians.
void Report(const char* what, const Times& ours, const Baseline& floor, const Baseline* tool = nullptr);

void RunFileTreeBenchmark();
void RunRegistryTreeBenchmark();
void RunInstallerBenchmark();
// The silent run of the sample installation, stage by stage.
void RunWholeRunBenchmark();

}  // namespace bench
