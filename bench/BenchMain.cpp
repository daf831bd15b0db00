#include "bench/Bench.h"

#include <windows.h>

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

namespace {

void PrintAgainst(const Baseline& baseline, double ours)
{
    const double ratio = baseline.seconds > 0 ? ours / baseline.seconds : 0;
    std::printf("    against %-26s %8.3f s   ratio %5.2fx (target at most %.1fx) %s\n", baseline.name,
                baseline.seconds, ratio, baseline.targetRatio,
                ratio <= baseline.targetRatio ? "ok" : "SLOWER THAN TARGET");
}

}  // namespace

void Report(const char* what, double ours, const Baseline& floor, const Baseline* tool)
{
    std::printf("%-44s ours %8.3f s\n", what, ours);
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
