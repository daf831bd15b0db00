#include "bench/Bench.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace bench {

double Now()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Times::Min() const
{
    return seconds.empty() ? 0 : *std::min_element(seconds.begin(), seconds.end());
}

double Times::Max() const
{
    return seconds.empty() ? 0 : *std::max_element(seconds.begin(), seconds.end());
}

double Times::Median() const
{
    if (seconds.empty())
        return 0;
    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 != 0 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

Contest RunRounds(int rounds, const std::function<bool()>& build, const std::vector<std::function<bool()>>& sides)
{
    Contest contest;
    contest.sides.assign(sides.size(), Times{});
    for (int round = 0; round < rounds && contest.complete; ++round) {
        if (!build()) {
            contest.complete = false;
            break;
        }
        for (std::size_t turn = 0; turn < sides.size(); ++turn) {
            const std::size_t side = (turn + static_cast<std::size_t>(round)) % sides.size();
            const double start = Now();
            const bool gone = sides[side]();
            contest.sides[side].seconds.push_back(Now() - start);
            contest.complete = contest.complete && gone;
        }
    }
    return contest;
}

namespace {

void PrintTimes(const char* name, const Times& times)
{
    std::printf("    %-34s min %8.3f  median %8.3f  max %8.3f s (%zu rounds)\n", name, times.Min(), times.Median(),
                times.Max(), times.seconds.size());
}

void PrintAgainst(const Baseline& baseline, const Times& ours)
{
    PrintTimes(baseline.name, baseline.times);
    const double ratio = baseline.times.Median() > 0 ? ours.Median() / baseline.times.Median() : 0;
    std::printf("      ratio of the medians %5.2fx (target at most %.1fx) %s\n", ratio, baseline.targetRatio,
                ratio <= baseline.targetRatio ? "ok" : "SLOWER THAN TARGET");
}

}  // namespace

void Report(const char* what, const Times& ours, const Baseline& floor, const Baseline* tool)
{
    std::printf("%s\n", what);
    PrintTimes("ours", ours);
    PrintAgainst(floor, ours);
    if (tool != nullptr)
        PrintAgainst(*tool, ours);
    std::fflush(stdout);
}

}  // namespace bench

// bench [files] [registry] [installer] [run]: the named sections, or all.
int main(int argc, char** argv)
{
    auto wanted = [&](const char* section) {
        if (argc < 2)
            return true;
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], section) == 0)
                return true;
        }
        return false;
    };
    if (wanted("files"))
        bench::RunFileTreeBenchmark();
    if (wanted("registry"))
        bench::RunRegistryTreeBenchmark();
    if (wanted("installer"))
        bench::RunInstallerBenchmark();
    if (wanted("run"))
        bench::RunWholeRunBenchmark();
    return 0;
}
