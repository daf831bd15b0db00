// Whole runs of the uninstall sequence in this Wine machine, hosted by a
// recording host instead of the dialog.
#include "uninstall/Sequence.h"

#include "app/ExitStatus.h"
#include "machine/Child.h"
#include "machine/Environment.h"
#include "machine/Expected.h"
#include "machine/Files.h"
#include "machine/Registry.h"
#include "machine/Views.h"
#include "support/Planting.h"
#include "support/RecordingHost.h"
#include "sysops/Handles.h"
#include "sysops/Probes.h"
#include "uninstall/Catalogue.h"

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

    // Every step the catalogue's rows and stages stand for on this machine,
    // then, after the "Delete" box, the references' and the middleware's,
    // and the fill to the end.
    uninstall::RowContext context;
    context.is64BitWindows = IsWow64();
    context.osClass = sysops::GetOsClass();
    EXPECT_EQ(StepsBefore(host, "box " + kDeleteBox), uninstall::StepsBeforeReferences(context));
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
    const std::string packageProperties = uninstall::CachedPackage.key;
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

// The record's lines as a run writes them.
class Lines : public uninstall::RecordSink {
public:
    void WriteLine(const std::string& line) override { written.push_back(line); }
    bool Has(const std::string& line) const
    {
        return std::find(written.begin(), written.end(), line) != written.end();
    }
    std::vector<std::string> written;
};

// "<outcome>  <kind>  <name>" in the record's columns.
std::string Line(const std::string& outcome, const std::string& kind, const std::string& name)
{
    return outcome + std::string(outcome.size() < 13 ? 13 - outcome.size() : 1, ' ') + kind +
           std::string(19 - kind.size(), ' ') + name;
}

std::string RunSystemDir()
{
    return Variable("WINDIR") + (IsWow64() ? "\\SysWOW64" : "\\system32");
}

std::string ViewSwitch()
{
    return IsWow64() ? " /reg:32" : "";
}

// A preview takes what it finds as gone for the looks that follow, as the
// removal would leave it: the second spelling of one file is not there, and
// the vendor key holding only the product's key is empty. A key of other
// software in it keeps it, in the preview and in the removal alike.
TEST(Sequence, PreviewTakesWhatItFindsAsGoneAndTheVendorKeyStaysForOthers)
{
    const ScopedRegKey vendor("Software\\TQM", kView32);
    const std::string file = RunSystemDir() + "\\tqmvsso.dll";
    ASSERT_TRUE(PlantFile(file));
    ASSERT_TRUE(PlantString("Software\\TQM\\Morvane", "Version", "4.3", kView32));
    const std::string vendorKey = "HKLM\\Software\\TQM" + ViewSwitch();
    const std::string productKey = "HKLM\\Software\\TQM\\Morvane" + ViewSwitch();

    Lines alone;
    uninstall::RunRecord aloneRecord(&alone);
    RecordingHost host(true, false);
    EXPECT_EQ(uninstall::RunUninstall(host, aloneRecord, uninstall::Mode::Preview), uninstall::RunOutcome::Completed);
    EXPECT_TRUE(alone.Has(Line("would remove", "file", file)));
    EXPECT_TRUE(alone.Has(Line("not present", "file", RunSystemDir() + "\\TqMvSso.dll")));
    EXPECT_TRUE(alone.Has(Line("would remove", "key", productKey)));
    EXPECT_TRUE(alone.Has(Line("would remove", "key", vendorKey)));

    ASSERT_TRUE(PlantString("Software\\TQM\\Other", "Keep", "kept", kView32));
    const std::string kept = Line("kept", "key", vendorKey) + "  [other software's keys or values are in it]";
    for (const uninstall::Mode mode : {uninstall::Mode::Preview, uninstall::Mode::Remove}) {
        Lines shared;
        uninstall::RunRecord record(&shared);
        RecordingHost quiet(true, false);
        EXPECT_EQ(uninstall::RunUninstall(quiet, record, mode), uninstall::RunOutcome::Completed);
        EXPECT_TRUE(shared.Has(kept)) << (mode == uninstall::Mode::Preview ? "preview" : "removal");
    }
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(KeyExists("Software\\TQM\\Morvane", kView32));
    EXPECT_EQ(StringValue("Software\\TQM\\Other", "Keep", kView32), "kept");
}

// A file in use in the middle of the install tree: where only administrators
// could have put it, it and the folders that hold it go at the restart,
// after it, and everything else now; the status says the product is gone.
// Where others may write the install folder, a name left to the restart
// could by then lead elsewhere: the file stays, and the status says so. So
// does a read-only file with another name, which would lose the attribute
// with it.
TEST(Sequence, FileInUseInTheInstallTree)
{
    enum class Case { OnlyAdministrators, OthersMayWrite, ReadOnlyWithAnotherName };
    const ScopedRegKey vendor("Software\\TQM", kView32);
    for (const Case which : {Case::OnlyAdministrators, Case::OthersMayWrite, Case::ReadOnlyWithAnotherName}) {
        SCOPED_TRACE(static_cast<int>(which));
        const ScratchDir scratch("inuse");
        const std::string vendorDir = scratch / "TQM";
        const std::string installDir = vendorDir + "\\Morvane";
        const std::string heldFile = installDir + "\\lib\\token\\token.dll";
        for (const char* file : {"\\bin\\tool.exe", "\\lib\\token\\token.dll", "\\lib\\token\\zz.txt", "\\zz\\last.txt"})
            ASSERT_TRUE(PlantFile(installDir + file));
        const std::string otherName = scratch / "other name.dll";
        if (which == Case::OthersMayWrite) {
            ASSERT_TRUE(GrantEveryoneWrite(installDir));
        }
        if (which == Case::ReadOnlyWithAnotherName) {
            ASSERT_TRUE(CreateHardLinkA(otherName.c_str(), heldFile.c_str(), nullptr));
            ASSERT_TRUE(SetFileAttributesA(heldFile.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        ASSERT_TRUE(PlantString(uninstall::kInstallDirKey, "MorvDir", installDir, kView32));

        sysops::UniqueFile held(
            CreateFileA(heldFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        uninstall::RunRecord record;
        RecordingHost host(true, false);
        EXPECT_EQ(uninstall::RunUninstall(host, record), uninstall::RunOutcome::Completed);
        held.Reset();
        const int status = app::ExitStatusFor(uninstall::RunOutcome::Completed, IDOK, !record.residue.empty());
        EXPECT_TRUE(Exists(heldFile));
        std::vector<std::string> pending = PendingDeletions();
        const auto first = std::find(pending.begin(), pending.end(), "\\??\\" + heldFile);
        if (which != Case::OnlyAdministrators) {
            EXPECT_EQ(status, app::kExitFailed);
            EXPECT_EQ(first, pending.end());
            if (which == Case::ReadOnlyWithAnotherName) {
                EXPECT_EQ(GetFileAttributesA(otherName.c_str()) & FILE_ATTRIBUTE_READONLY,
                          static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
                SetFileAttributesA(otherName.c_str(), FILE_ATTRIBUTE_NORMAL);
            }
            continue;
        }
        EXPECT_EQ(status, app::kExitRebootRequired);
        for (const char* gone : {"\\bin", "\\zz", "\\lib\\token\\zz.txt"})
            EXPECT_FALSE(Exists(installDir + gone)) << gone;
        ASSERT_NE(first, pending.end());
        const std::vector<std::string> order(first, pending.end());
        EXPECT_EQ(order, (std::vector<std::string>{"\\??\\" + heldFile, "\\??\\" + installDir + "\\lib\\token",
                                                   "\\??\\" + installDir + "\\lib", "\\??\\" + installDir,
                                                   "\\??\\" + vendorDir}));
        ASSERT_TRUE(RestartWindows());
        EXPECT_FALSE(Exists(vendorDir));
    }
}

}  // namespace
