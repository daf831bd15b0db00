// Whole runs of the uninstall sequence in this Wine machine, hosted by a
// recording host instead of the dialog.
#include "uninstall/Sequence.h"

#include "machine/Environment.h"
#include "machine/Expected.h"
#include "machine/Files.h"
#include "machine/Registry.h"
#include "machine/Views.h"
#include "support/Planting.h"
#include "support/RecordingHost.h"
#include "uninstall/FileCatalogue.h"
#include "uninstall/Locations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace machine;
using namespace testing_support;
using expected::Box;

namespace {

const std::string kFinalBox = Box(expected::kInformationCaption, expected::kFinalText);
const std::string kDeleteBox = Box(expected::kDeleteCaption, expected::kDeleteText);

// Steps recorded before the event `marker`.
int StepsBefore(const RecordingHost& host, const std::string& marker)
{
    const auto end = std::find(host.events.begin(), host.events.end(), marker);
    return static_cast<int>(std::count(host.events.begin(), end, std::string("step")));
}

TEST(Sequence, InteractiveRunStepsBoxesAndCloses)
{
    RecordingHost host(false, true);
    EXPECT_EQ(uninstall::RunUninstall(host), uninstall::RunOutcome::Completed);

    ASSERT_GE(host.events.size(), 3u);
    EXPECT_EQ(host.events[0], "disable buttons");
    EXPECT_EQ(host.events[1], std::string("status ") + expected::kRunningStatus);
    EXPECT_EQ(host.events.back(), "close");

    const std::vector<std::string> boxes = host.Boxes();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[boxes.size() - 2], kDeleteBox);
    EXPECT_EQ(boxes.back(), kFinalBox);
    EXPECT_EQ(host.boxTypes.back(), static_cast<unsigned>(MB_ICONINFORMATION));

    // Locations 5, processes and programs 6, install tree and caches 5,
    // system files 2 (3 on 64-bit Windows), menu 4, registry 4; then, after
    // the "Delete" box, references 1 (2) and middleware 1.
    const bool wow64 = IsWow64();
    EXPECT_EQ(StepsBefore(host, "box " + kDeleteBox), wow64 ? 27 : 26);
    EXPECT_EQ(StepsBefore(host, "box " + kFinalBox), expected::kBarEnd);
    EXPECT_EQ(host.steps, expected::kBarEnd);
}

TEST(Sequence, SilentRunStepsNothingAndShowsNothing)
{
    RecordingHost host(true, false);
    EXPECT_EQ(uninstall::RunUninstall(host), uninstall::RunOutcome::Completed);
    EXPECT_EQ(host.events, (std::vector<std::string>{"disable buttons", std::string("status ") + expected::kRunningStatus,
                                                     "close"}));
}

TEST(Sequence, AbortedRunLeavesAWayOut)
{
    const ScopedEnv unset("WINDIR", nullptr);
    RecordingHost loud(false, false);
    EXPECT_EQ(uninstall::RunUninstall(loud), uninstall::RunOutcome::Aborted);
    EXPECT_EQ(loud.events.back(), "enable cancel");
    RecordingHost silent(true, false);
    EXPECT_EQ(uninstall::RunUninstall(silent), uninstall::RunOutcome::Aborted);
    EXPECT_EQ(silent.events, (std::vector<std::string>{"disable buttons", std::string("status ") + expected::kRunningStatus,
                                                       "end as cancelled"}));
}

struct InstallTreeCase {
    const char* installDir;  // below the scratch folder
    const char* parent;      // the folder the run may remove after the tree
    bool parentStays;
};

TEST(Sequence, InstallTreeAndItsEmptyVendorFolder)
{
    const ScopedRegKey key("Software\\TQM", kView32);
    const InstallTreeCase cases[] = {
        {"Apps\\TQM\\Morvane", "Apps\\TQM", false},
        {"Apps\\tqv\\MORVANE", "Apps\\tqv", false},
        {"Apps\\TQV\\TQV Morvane", "Apps\\TQV", false},
        {"Apps\\Morvane", "Apps", true},
        // The vendor folder stays when something else is in it.
        {"Keep\\TQM\\Morvane", "Keep\\TQM", true},
    };
    for (const InstallTreeCase& c : cases) {
        SCOPED_TRACE(c.installDir);
        const ScratchDir scratch("tree");
        const std::string installDir = scratch / c.installDir;
        ASSERT_TRUE(PlantFile(installDir + "\\bin\\tool.exe"));
        ASSERT_TRUE(PlantFile(installDir + "\\doc\\readme.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        ASSERT_TRUE(PlantDirs(scratch / "Keep\\TQM\\Other"));
        ASSERT_TRUE(PlantString(uninstall::kInstallDirKey, "MorvDir", installDir + "\\", kView32));

        RecordingHost host(true, false);
        EXPECT_EQ(uninstall::RunUninstall(host), uninstall::RunOutcome::Completed);
        EXPECT_FALSE(Exists(installDir));
        EXPECT_EQ(Exists(scratch / c.parent), c.parentStays);
        EXPECT_TRUE(Exists(scratch / "Keep\\TQM\\Other"));
    }
}

TEST(Sequence, HostileInstallDirectoryDeletesNoTree)
{
    const ScopedRegKey key("Software\\TQM", kView32);
    // Package B's records, where a LocalPackage value may name any file at all.
    const std::string packageProperties = uninstall::kPackageBInstallProperties;
    const ScopedRegKey package(packageProperties.substr(0, packageProperties.rfind('\\')), NativeView());
    const ScratchDir scratch("hostile");
    const std::string programFiles = Variable("PROGRAMFILES");
    const std::string canary = programFiles + "\\MorvCanary\\keep.txt";
    ASSERT_TRUE(PlantFile(canary));
    ASSERT_TRUE(PlantFile(scratch / "keep.txt"));
    const std::string profile = Variable("USERPROFILE");
    for (const std::string& hostile : {programFiles, std::string("C:\\"), Variable("WINDIR"), std::string("morvtest"),
                                       profile.substr(0, profile.find_last_of('\\'))}) {
        SCOPED_TRACE(hostile);
        ASSERT_TRUE(PlantString(uninstall::kInstallDirKey, "MorvDir", hostile, kView32));
        ASSERT_TRUE(PlantString(packageProperties, "LocalPackage", scratch / "keep.txt", NativeView()));
        RecordingHost host(true, false);
        EXPECT_EQ(uninstall::RunUninstall(host), uninstall::RunOutcome::Completed);
        EXPECT_TRUE(Exists(canary));
        EXPECT_TRUE(Exists(scratch / "keep.txt"));
    }
    RemoveTree(programFiles + "\\MorvCanary");
}

// The menu folders of Hebrew Windows, by their code page 1255 names.
TEST(Sequence, HebrewMenuAndStartupFolders)
{
    const std::string programs = "\xFA\xF4\xF8\xE9\xE8 \xE4\xFA\xE7\xEC\xE4\\\xFA\xE5\xEB\xF0\xE9\xE5\xFA";
    const std::string startup = "\xE4\xF4\xF2\xEC\xE4";
    const ScratchDir allUsers("hebrew");
    const ScopedEnv profile("ALLUSERSPROFILE", allUsers.Path().c_str());
    const std::string menu = allUsers / programs;
    ASSERT_TRUE(PlantFile(menu + "\\Morvane\\Morvane.lnk"));
    ASSERT_TRUE(PlantFile(menu + "\\" + startup + "\\scmon.lnk"));
    ASSERT_TRUE(PlantFile(menu + "\\" + startup + "\\other.lnk"));
    // The English menu holds the product too: both go.
    ASSERT_TRUE(PlantFile(allUsers / "Start Menu\\Programs\\Other\\other.lnk"));
    ASSERT_TRUE(PlantFile(allUsers / "Start Menu\\Programs\\Morvane\\Morvane.lnk"));

    RecordingHost first(true, false);
    uninstall::RunUninstall(first);
    EXPECT_FALSE(Exists(menu + "\\Morvane"));
    EXPECT_FALSE(Exists(allUsers / "Start Menu\\Programs\\Morvane"));
    EXPECT_FALSE(Exists(menu + "\\" + startup + "\\scmon.lnk"));
    EXPECT_TRUE(Exists(menu + "\\" + startup + "\\other.lnk"));
    EXPECT_TRUE(Exists(allUsers / "Start Menu\\Programs\\Other\\other.lnk"));

    // With the product's folder gone the English menu is used; a shortcut in
    // its "Startup" goes, and its Hebrew twin is left alone.
    ASSERT_TRUE(PlantFile(allUsers / "Start Menu\\Programs\\Startup\\scmon.lnk"));
    ASSERT_TRUE(PlantFile(allUsers / ("Start Menu\\Programs\\" + startup + "\\scmon.lnk")));
    RecordingHost second(true, false);
    uninstall::RunUninstall(second);
    EXPECT_FALSE(Exists(allUsers / "Start Menu\\Programs\\Startup\\scmon.lnk"));
    EXPECT_TRUE(Exists(allUsers / ("Start Menu\\Programs\\" + startup + "\\scmon.lnk")));
}

}  // namespace
