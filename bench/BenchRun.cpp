#include "bench/Bench.h"

#include "machine/Child.h"
#include "machine/Files.h"
#include "machine/Paths.h"
#include "machine/Views.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {
namespace {

const char kRecord[] = "C:\\morvbench-run.log";
constexpr char kStageKeyword[] = "stage        ";
constexpr char kPauseStage[] = "pause";

// The sample tool, built beside the tests.
std::string SampleTool()
{
    return machine::FolderOf(machine::TestBinDir()) + "\\tests\\sample.exe";
}

int RunQuietly(const std::string& commandLine)
{
    return machine::RunAndWait(
        machine::Launch{commandLine, std::string(), {}, machine::StandardHandles::Discarded},
        std::chrono::minutes(15));
}

struct Stage {
    std::string name;
    double startSeconds;
};

// "stage        files at 1104 ms": where each stage of the run began.
std::vector<Stage> StagesOf(const std::vector<std::string>& lines)
{
    std::vector<Stage> stages;
    for (const std::string& line : lines) {
        if (line.compare(0, sizeof kStageKeyword - 1, kStageKeyword) != 0)
            continue;
        const std::string rest = line.substr(sizeof kStageKeyword - 1);
        const std::size_t at = rest.rfind(" at ");
        if (at != std::string::npos)
            stages.push_back(Stage{rest.substr(0, at), std::atof(rest.c_str() + at + 4) / 1000.0});
    }
    return stages;
}

// Seconds per stage name (a stage may come back, as the registry does
// between the installer scans), in the order the names first came.
std::vector<std::pair<std::string, double>> Durations(const std::vector<Stage>& stages, double total)
{
    std::vector<std::pair<std::string, double>> durations;
    for (std::size_t i = 0; i < stages.size(); ++i) {
        const double end = i + 1 < stages.size() ? stages[i + 1].startSeconds : total;
        const double seconds = end > stages[i].startSeconds ? end - stages[i].startSeconds : 0;
        auto known = durations.begin();
        while (known != durations.end() && known->first != stages[i].name)
            ++known;
        if (known == durations.end())
            durations.emplace_back(stages[i].name, seconds);
        else
            known->second += seconds;
    }
    return durations;
}

}  // namespace

void RunWholeRunBenchmark()
{
    if (RunQuietly(machine::CommandLine(SampleTool(), "plant")) != 0) {
        std::printf("run: the sample installation could not be laid in (%s plant)\n", SampleTool().c_str());
        RunQuietly(machine::CommandLine(SampleTool(), "remove"));
        return;
    }
    machine::DeleteForced(kRecord);
    const double start = Now();
    const int status = RunQuietly(machine::CommandLine(machine::ProgramPath(), std::string("/s /log:") + kRecord));
    const double total = Now() - start;
    const std::vector<std::string> lines = machine::ReadLines(kRecord);
    RunQuietly(machine::CommandLine(SampleTool(), "remove"));
    machine::DeleteForced(kRecord);

    std::printf("whole silent run of the sample installation, %s Windows: %.3f s, exit status %d\n",
                machine::IsWow64() ? "64-bit" : "32-bit", total, status);
    double pause = 0;
    for (const auto& stage : Durations(StagesOf(lines), total)) {
        if (stage.first == kPauseStage) {
            pause = stage.second;
            continue;
        }
        std::printf("    %-16s %8.3f s\n", stage.first.c_str(), stage.second);
    }
    std::printf("    %-16s %8.3f s   (the fixed one-second wait after the identity component)\n", kPauseStage,
                pause);
    std::fflush(stdout);
}

}  // namespace bench
