// Whole runs of the uninstall sequence in this Wine machine, hosted by a
// recording host instead of the dialog.
#include "uninstall/Sequence.h"

#include "support/RecordingHost.h"
#include "support/TestSupport.h"
#include "uninstall/FileCatalogue.h"
#include "uninstall/Locations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr char kFinalBox[] =
    "Information: Morvane has been removed successfuly.\n\nPlease Reboot the computer to complete the operation.";

std::string Env(const char* name)
{
    char value[1024] = {};
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

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
    EXPECT_EQ(host.events[1], "status Uninstalling...");
    EXPECT_EQ(host.events.back(), "close");

    const std::vector<std::string> boxes = host.Boxes();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[boxes.size() - 2], "Delete: Delete 32-bit shared dll's");
    EXPECT_EQ(boxes.back(), kFinalBox);
    EXPECT_EQ(host.boxTypes.back(), static_cast<unsigned>(MB_ICONINFORMATION));

    // Locations 5, processes and programs 6, install tree and caches 5,
    // system files 2 (3 on 64-bit Windows), menu 4, registry 4; then, after
    // the "Delete" box, references 1 (2) and middleware 1.
    const bool wow64 = IsWow64();
    EXPECT_EQ(StepsBefore(host, "box Delete: Delete 32-bit shared dll's"), wow64 ? 27 : 26);
    EXPECT_EQ(StepsBefore(host, std::string("box ") + kFinalBox), 50);
    EXPECT_EQ(host.steps, 50);
}

TEST(Sequence, SilentRunStepsNothingAndShowsNothing)
{
    RecordingHost host(true, false);
    EXPECT_EQ(uninstall::RunUninstall(host), uninstall::RunOutcome::Completed);
    EXPECT_EQ(host.events, (std::vector<std::string>{"disable buttons", "status Uninstalling...", "close"}));
}

TEST(Sequence, AbortedRunLeavesAWayOut)
{
    const ScopedEnv unset("WINDIR", nullptr);
    RecordingHost loud(false, false);
    EXPECT_EQ(uninstall::RunUninstall(loud), uninstall::RunOutcome::Aborted);
    EXPECT_EQ(loud.events.back(), "enable cancel");
    RecordingHost silent(true, false);
    EXPECT_EQ(uninstall::RunUninstall(silent), uninstall::RunOutcome::Aborted);
    EXPECT_EQ(silent.events, (std::vector<std::string>{"disable buttons", "status Uninstalling...", "end as cancelled"}));
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
        WriteFile(installDir + "\\bin\\tool.exe");
        WriteFile(installDir + "\\doc\\readme.txt");
        SetFileAttributesA((installDir + "\\doc\\readme.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        MakeDirs(scratch / "Keep\\TQM\\Other");
        RegSetString(uninstall::kInstallDirKey, "MorvDir", installDir + "\\", kView32);

        RecordingHost host(true, false);
        EXPECT_EQ(uninstall::RunUninstall(host), uninstall::RunOutcome::Completed);
        EXPECT_FALSE(PathExists(installDir));
        EXPECT_EQ(PathExists(scratch / c.parent), c.parentStays);
        EXPECT_TRUE(PathExists(scratch / "Keep\\TQM\\Other"));
    }
}

TEST(Sequence, HostileInstallDirectoryDeletesNoTree)
{
    const ScopedRegKey key("Software\\TQM", kView32);
    // Package B's records, where a LocalPackage value may name any file at all.
    const std::string packageProperties = uninstall::kPackageBInstallProperties;
    const REGSAM installerView = IsWow64() ? kView64 : 0;
    const ScopedRegKey package(packageProperties.substr(0, packageProperties.rfind('\\')), installerView);
    const ScratchDir scratch("hostile");
    const std::string programFiles = Env("PROGRAMFILES");
    const std::string canary = programFiles + "\\MorvCanary\\keep.txt";
    WriteFile(canary);
    WriteFile(scratch / "keep.txt");
    const std::string profile = Env("USERPROFILE");
    for (const std::string& hostile : {programFiles, std::string("C:\\"), Env("WINDIR"), std::string("morvtest"),
                                       profile.substr(0, profile.find_last_of('\\'))}) {
        SCOPED_TRACE(hostile);
        RegSetString(uninstall::kInstallDirKey, "MorvDir", hostile, kView32);
        RegSetString(packageProperties, "LocalPackage", scratch / "keep.txt", installerView);
        RecordingHost host(true, false);
        EXPECT_EQ(uninstall::RunUninstall(host), uninstall::RunOutcome::Completed);
        EXPECT_TRUE(PathExists(canary));
        EXPECT_TRUE(PathExists(scratch / "keep.txt"));
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
    WriteFile(menu + "\\Morvane\\Morvane.lnk");
    WriteFile(menu + "\\" + startup + "\\scmon.lnk");
    WriteFile(menu + "\\" + startup + "\\other.lnk");
    // The English menu exists too, but only the Hebrew one holds the product.
    WriteFile(allUsers / "Start Menu\\Programs\\Other\\other.lnk");

    RecordingHost first(true, false);
    uninstall::RunUninstall(first);
    EXPECT_FALSE(PathExists(menu + "\\Morvane"));
    EXPECT_FALSE(PathExists(menu + "\\" + startup + "\\scmon.lnk"));
    EXPECT_TRUE(PathExists(menu + "\\" + startup + "\\other.lnk"));
    EXPECT_TRUE(PathExists(allUsers / "Start Menu\\Programs\\Other\\other.lnk"));

    // With the product's folder gone the English menu is used; a shortcut in
    // its "Startup" goes, and its Hebrew twin is left alone.
    WriteFile(allUsers / "Start Menu\\Programs\\Startup\\scmon.lnk");
    WriteFile(allUsers / ("Start Menu\\Programs\\" + startup + "\\scmon.lnk"));
    RecordingHost second(true, false);
    uninstall::RunUninstall(second);
    EXPECT_FALSE(PathExists(allUsers / "Start Menu\\Programs\\Startup\\scmon.lnk"));
    EXPECT_TRUE(PathExists(allUsers / ("Start Menu\\Programs\\" + startup + "\\scmon.lnk")));
}

}  // namespace
