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

void Report(const char* what, double ours, const char* theirsName, double theirs, double targetRatio)
{
    const double ratio = theirs > 0 ? ours / theirs : 0;
    std::printf("%-44s ours %8.3f s   %-22s %8.3f s   ratio %5.2fx (target at most %.1fx) %s\n", what, ours,
                theirsName, theirs, ratio, targetRatio, ratio <= targetRatio ? "ok" : "SLOWER THAN TARGET");
    std::fflush(stdout);
}

}  // namespace bench

// bench [files] [registry] [installer]: the named sections, or all three.
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
    return 0;
}
