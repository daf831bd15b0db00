// sample.exe plant|report|check|remove [class=N] [neighbours=yes|no]
//            [gina=bare|path|other] [installdir=registry|search]
//
// plant   lays the sample Morvane installation into this Wine machine (an
//         earlier sample is removed first) and starts its programs
// report  prints every item with its state and what a completed uninstall
//         run must leave: "ok", "STILL THERE" or "MISSING"
// check   the same, with exit status 1 unless every item is "ok"
// remove  takes everything of the sample away again
//
// Without choices, report, check and remove use those of the last plant,
// and plant uses this machine's Windows version with the defaults.
// Options may be written with a leading "--".
#include "sample/Sample.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kUsageError = 2;

int Usage()
{
    std::fprintf(stderr,
                 "usage: sample.exe plant|report|check|remove [class=N] [neighbours=yes|no]\n"
                 "                  [gina=bare|path|other] [installdir=registry|search]\n");
    return kUsageError;
}

int RunPlant(const sample::Variant& variant)
{
    const sample::PlantResult result = sample::Plant(variant);
    for (const std::string& failure : result.failures)
        std::printf("could not plant: %s\n", failure.c_str());
    std::printf("planted the sample (%s), package B %s\n", sample::DescribeVariant(variant).c_str(),
                result.realPackageB ? "installed by msiexec" : "records written by hand");
    return result.failures.empty() ? 0 : 1;
}

// One group's items, one a line: state, verdict, kind, place.
void PrintGroup(const std::vector<sample::ItemState>& items, sample::Group group, const char* heading)
{
    std::printf("== %s: %s\n", sample::GroupName(group), heading);
    for (const sample::ItemState& item : items) {
        if (item.group != group)
            continue;
        std::printf("  %-7s  %-11s  %-7s  %s", item.present ? "present" : "absent", sample::Verdict(item), item.kind,
                    item.where.c_str());
        if (!item.detail.empty())
            std::printf("  [%s]", item.detail.c_str());
        std::printf("\n");
    }
}

int RunReport(const sample::Variant& variant, bool check)
{
    const std::vector<sample::ItemState> items = sample::Inspect(variant);
    std::printf("sample %s; verdicts say what a completed uninstall run must leave\n",
                sample::DescribeVariant(variant).c_str());
    PrintGroup(items, sample::Group::Product, "must be gone after a run");
    PrintGroup(items, sample::Group::Others, "must survive a run");
    PrintGroup(items, sample::Group::Marks, "must appear during a run");
    unsigned ok = 0;
    for (const sample::ItemState& item : items)
        ok += std::strcmp(sample::Verdict(item), "ok") == 0;
    std::printf("%u items: %u as a completed run leaves them, %u not\n", static_cast<unsigned>(items.size()), ok,
                static_cast<unsigned>(items.size()) - ok);
    return check && (ok != items.size() || items.empty()) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    sample::Variant variant = sample::ThisMachine();
    if (argc == 2 && command != "plant")
        sample::PlantedVariant(variant);
    for (int i = 2; i < argc; ++i) {
        std::string word = argv[i];
        if (word.compare(0, 2, "--") == 0)
            word.erase(0, 2);
        if (!sample::ParseVariantOption(word, variant))
            return Usage();
    }
    if (command == "plant")
        return RunPlant(variant);
    if (command == "report" || command == "check")
        return RunReport(variant, command == "check");
    if (command == "remove") {
        sample::Remove(variant);
        return 0;
    }
    return Usage();
}
