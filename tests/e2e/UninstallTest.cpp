// The real program against a sample installation of the product laid into
// this Wine machine: afterwards everything of the product is gone and
// everything of others is still there.
#include "sample/Sample.h"

#include "machine/Expected.h"
#include "machine/Paths.h"
#include "machine/UiDriver.h"
#include "machine/Views.h"
#include "machine/WindowsVersion.h"
#include "res/resource.h"
#include "sysops/Probes.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

using namespace machine;

namespace {

constexpr int kRebootRequired = 3010;
constexpr TimeOut kRunTimeOut = std::chrono::seconds(120);

using expected::Box;

struct Scenario {
    const char* name;
    const char* version;  // as winecfg names it
    int osClass;
    bool win64;
    sample::Neighbours neighbours;
    sample::Gina gina;
    sample::InstallDirFrom installDirFrom;
};

void PrintTo(const Scenario& scenario, std::ostream* out)
{
    *out << scenario.name;
}

// Everything of the sample that is not as a completed run leaves it.
std::vector<std::string> Wrong(const std::vector<sample::ItemState>& items)
{
    std::vector<std::string> wrong;
    for (const sample::ItemState& item : items) {
        if (item.present != item.presentAfterRun)
            wrong.push_back(std::string(sample::Verdict(item)) + " " + item.kind + " " + item.where);
    }
    return wrong;
}

// Everything of the sample that should be on the machine before a run but is not.
std::vector<std::string> NotPlanted(const std::vector<sample::ItemState>& items)
{
    std::vector<std::string> missing;
    for (const sample::ItemState& item : items) {
        if (item.group != sample::Group::Marks && !item.present)
            missing.push_back(std::string(item.kind) + " " + item.where);
    }
    return missing;
}

// Plants the sample for a scenario, under its Windows version, and takes it
// away again afterwards.
class PlantedMachine {
public:
    explicit PlantedMachine(const Scenario& scenario) : version_(scenario.version)
    {
        variant_.osClass = scenario.osClass;
        variant_.win64 = IsWow64();
        variant_.neighbours = scenario.neighbours;
        variant_.gina = scenario.gina;
        variant_.installDirFrom = scenario.installDirFrom;
        if (IsWow64() != scenario.win64 || version_.Refused())
            return;
        const sample::PlantResult planted = sample::Plant(variant_);
        failures_ = planted.failures;
        planted_ = true;
    }
    ~PlantedMachine()
    {
        if (planted_)
            sample::Remove(variant_);
    }
    PlantedMachine(const PlantedMachine&) = delete;
    PlantedMachine& operator=(const PlantedMachine&) = delete;

    bool Planted() const { return planted_; }
    const std::vector<std::string>& Failures() const { return failures_; }
    std::vector<sample::ItemState> Inspect() const { return sample::Inspect(variant_); }

private:
    ScopedWindowsVersion version_;
    sample::Variant variant_;
    std::vector<std::string> failures_;
    bool planted_ = false;
};

class SilentRun : public ::testing::TestWithParam<Scenario> {};

TEST_P(SilentRun, RemovesTheProductAndNothingElse)
{
    const Scenario& scenario = GetParam();
    const PlantedMachine machine(scenario);
    if (!machine.Planted())
        GTEST_SKIP() << "needs a " << (scenario.win64 ? "64" : "32") << "-bit machine that takes " << scenario.version;
    ASSERT_TRUE(machine.Failures().empty()) << machine.Failures().front();
    ASSERT_EQ(NotPlanted(machine.Inspect()), std::vector<std::string>());

    ProgramUnderTest first(ProgramPath(), "/s");
    EXPECT_EQ(first.WaitForExit(kRunTimeOut), kRebootRequired);
    EXPECT_FALSE(first.SampledVisibleWindow()) << "a window was up at one of the looks every 20 ms";
    const std::vector<sample::ItemState> after = machine.Inspect();
    EXPECT_EQ(Wrong(after), std::vector<std::string>());

    // A second run finds nothing left to do and changes nothing.
    ProgramUnderTest second(ProgramPath(), "/s");
    EXPECT_EQ(second.WaitForExit(kRunTimeOut), kRebootRequired);
    const std::vector<sample::ItemState> again = machine.Inspect();
    ASSERT_EQ(again.size(), after.size());
    for (std::size_t i = 0; i < again.size(); ++i)
        EXPECT_EQ(again[i].present, after[i].present) << again[i].where;
}

using sample::Gina;
using sample::InstallDirFrom;
using sample::Neighbours;

const Scenario kScenarios[] = {
    {"win7_x64", "win7", sysops::OSCLASS_WIN7, true, Neighbours::Present, Gina::Bare, InstallDirFrom::Registry},
    {"win7_x64_alone", "win7", sysops::OSCLASS_WIN7, true, Neighbours::Absent, Gina::Other, InstallDirFrom::Search},
    {"winxp", "winxp", sysops::OSCLASS_WINXP, false, Neighbours::Present, Gina::WithPath, InstallDirFrom::Registry},
    {"win98", "win98", sysops::OSCLASS_WIN98, false, Neighbours::Present, Gina::Bare, InstallDirFrom::Registry},
    {"nt40", "nt40", sysops::OSCLASS_NT4, false, Neighbours::Absent, Gina::Bare, InstallDirFrom::Search},
};

INSTANTIATE_TEST_SUITE_P(EndToEnd, SilentRun, ::testing::ValuesIn(kScenarios));

// The user's view: every box read and answered, in order, the bar full when
// the final box comes.
TEST(EndToEnd, InteractiveDebugRun)
{
    const Scenario scenario = IsWow64() ? kScenarios[0] : kScenarios[2];
    const PlantedMachine machine(scenario);
    ASSERT_TRUE(machine.Planted());
    ASSERT_TRUE(machine.Failures().empty()) << machine.Failures().front();

    ProgramUnderTest program(ProgramPath(), "/debug");
    BoxInfo box;
    ASSERT_TRUE(program.WaitForBox(box));
    EXPECT_EQ(Box(box.caption, box.text), Box(expected::kArgumentCaption, "/debug"));
    ProgramUnderTest::PressOk(box);
    const HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ProgramUnderTest::Click(dialog, IDOK));

    std::vector<std::string> seen;
    LRESULT barAtFinalBox = -1;
    while (program.WaitForBox(box, kRunTimeOut)) {
        seen.push_back(Box(box.caption, box.text));
        if (box.caption == expected::kInformationCaption)
            barAtFinalBox = SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_GETPOS, 0, 0);
        ProgramUnderTest::PressOk(box);
    }
    const std::vector<std::string> locations = expected::LocationBoxes();
    ASSERT_EQ(seen.size(), locations.size() + 3);
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + locations.size()), locations);
    // The install directory the sample named in the registry, without its trailing backslash.
    EXPECT_EQ(seen[locations.size()].rfind(Box(expected::kInstallDirCaption, ""), 0), 0u);
    EXPECT_NE(seen[locations.size()].back(), '\\');
    EXPECT_EQ(seen[locations.size() + 1], Box(expected::kDeleteCaption, expected::kDeleteText));
    EXPECT_EQ(seen.back(), Box(expected::kInformationCaption, expected::kFinalText));
    EXPECT_EQ(barAtFinalBox, expected::kBarEnd);
    EXPECT_EQ(program.WaitForExit(), kRebootRequired);
    EXPECT_EQ(Wrong(machine.Inspect()), std::vector<std::string>());
}

}  // namespace
