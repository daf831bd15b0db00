// The real program against a sample installation of the product laid into
// this Wine machine: afterwards everything of the product is gone and
// everything of others is still there.
#include "sample/Sample.h"

#include "machine/Child.h"
#include "machine/Environment.h"
#include "machine/Expected.h"
#include "machine/Files.h"
#include "machine/Paths.h"
#include "machine/Registry.h"
#include "machine/UiDriver.h"
#include "machine/Unix.h"
#include "machine/Views.h"
#include "machine/WindowsVersion.h"
#include "res/resource.h"
#include "support/Planting.h"
#include "sysops/FsRedirection.h"
#include "sysops/Handles.h"
#include "sysops/Probes.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

using namespace machine;
using testing_support::PlantFile;
using testing_support::PlantString;

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

// "MorvDir" holding the program-files folder's real 8.3 name, which reads
// like any folder of the product's own: the run must see the folder behind
// it and leave everybody else's things in it.
TEST(EndToEnd, ShortNameOfProgramFilesIsNoInstallTree)
{
    const Scenario scenario = IsWow64() ? kScenarios[0] : kScenarios[2];
    const PlantedMachine machine(scenario);
    ASSERT_TRUE(machine.Planted());
    ASSERT_TRUE(machine.Failures().empty()) << machine.Failures().front();
    const std::string programFiles = Variable("PROGRAMFILES");
    char shortName[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(programFiles.c_str(), shortName, sizeof shortName);
    ASSERT_TRUE(length > 0 && length < sizeof shortName);
    if (programFiles == shortName)
        GTEST_SKIP() << programFiles << " has no short name here";
    ASSERT_TRUE(PlantString("Software\\TQM\\CardBridge\\Main", "MorvDir", shortName, kView32));

    ProgramUnderTest program(ProgramPath(), "/s");
    EXPECT_EQ(program.WaitForExit(kRunTimeOut), kRebootRequired);

    std::vector<std::string> lost;
    for (const sample::ItemState& item : machine.Inspect()) {
        if (item.group == sample::Group::Others && !item.present)
            lost.push_back(std::string(item.kind) + " " + item.where);
    }
    EXPECT_EQ(lost, std::vector<std::string>()) << "MorvDir " << shortName;
    EXPECT_TRUE(Exists(programFiles + "\\Common Files"));
}

// What a record says of its items with `outcome`: the kind and the name of
// each, in order. An item line is the outcome in a column of 13, then the
// kind and name, then perhaps "  [why]".
std::vector<std::string> ItemsRecorded(const std::vector<std::string>& lines, const char* outcome)
{
    constexpr std::size_t kColumn = 13;
    std::vector<std::string> items;
    for (const std::string& line : lines) {
        // An outcome as long as the column ("would schedule") has one space after it.
        const std::size_t length = std::strlen(outcome);
        const std::size_t column = std::max(kColumn, length + 1);
        if (line.size() > column && line.compare(0, length, outcome) == 0 &&
            line.find_first_not_of(' ', length) == column)
            items.push_back(line.substr(column, line.find("  [") - column));
    }
    return items;
}

std::vector<std::string> Sorted(std::vector<std::string> items)
{
    std::sort(items.begin(), items.end());
    return items;
}

// A run's exit status and the record it wrote.
struct RecordedRun {
    int status;
    std::vector<std::string> lines;
};

RecordedRun RunWithRecord(const std::string& record, const std::string& arguments, TimeOut timeOut = kRunTimeOut,
                          const std::string& programPath = ProgramPath())
{
    ProgramUnderTest program(programPath, arguments + " /log:" + record);
    RecordedRun run{program.WaitForExit(timeOut), ReadLines(record)};
    return run;
}

// The first line of a record that begins with `start`; empty when none does.
std::string LineStarting(const std::vector<std::string>& lines, const std::string& start)
{
    for (const std::string& line : lines) {
        if (line.rfind(start, 0) == 0)
            return line;
    }
    return std::string();
}

// A preview changes nothing and lists what is there; the run after it
// removes exactly that, a system file in use going at the restart: it is
// left to Windows, nothing is residue and the status is 3010. A second run
// before the restart leaves it to the restart no second time, and a preview
// then lists it as waiting for it. After the restart the file is gone (on
// 64-bit Windows the native file of that name, some other software's,
// stays), and runs on the cleaned machine find nothing at all.
TEST(EndToEnd, PreviewThenRunsWithTheirRecords)
{
    const Scenario scenario = IsWow64() ? kScenarios[0] : kScenarios[2];
    const PlantedMachine machine(scenario);
    ASSERT_TRUE(machine.Planted());
    ASSERT_TRUE(machine.Failures().empty()) << machine.Failures().front();
    const ScratchDir records("records");
    const std::vector<sample::ItemState> before = machine.Inspect();

    const RecordedRun preview = RunWithRecord(records / "preview.log", "/preview /s");
    EXPECT_EQ(preview.status, 1);
    const std::vector<sample::ItemState> afterPreview = machine.Inspect();
    ASSERT_EQ(afterPreview.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(afterPreview[i].present, before[i].present) << "the preview changed " << before[i].where;
    const std::vector<std::string> found = ItemsRecorded(preview.lines, "would remove");
    EXPECT_TRUE(ItemsRecorded(preview.lines, "removed").empty());
    ASSERT_FALSE(preview.lines.empty());
    EXPECT_EQ(preview.lines.back(), "exit         1");

    const std::string inUse =
        Variable("WINDIR") + (IsWow64() ? "\\SysWOW64" : "\\system32") + "\\tqcsp.dll";
    const std::string nativeTwin = Variable("WINDIR") + "\\system32\\tqcsp.dll";
    if (IsWow64()) {
        const sysops::ScopedFsRedirectionOff native;
        ASSERT_TRUE(PlantFile(nativeTwin));
    }
    sysops::UniqueFile held(CreateFileA(inUse.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
    ASSERT_TRUE(held.IsValid()) << inUse;
    const RecordedRun removal = RunWithRecord(records / "run.log", "/s");
    EXPECT_EQ(removal.status, kRebootRequired);
    std::vector<std::string> actedOn = ItemsRecorded(removal.lines, "removed");
    const std::vector<std::string> atRestart = ItemsRecorded(removal.lines, "at restart");
    actedOn.insert(actedOn.end(), atRestart.begin(), atRestart.end());
    EXPECT_EQ(Sorted(actedOn), Sorted(found));
    ASSERT_EQ(atRestart.size(), 1u);
    EXPECT_NE(atRestart[0].find(inUse), std::string::npos);
    EXPECT_TRUE(ItemsRecorded(removal.lines, "failed").empty());
    EXPECT_TRUE(ItemsRecorded(removal.lines, "residue").empty());
    EXPECT_EQ(removal.lines.back(), "exit         3010");

    const RecordedRun again = RunWithRecord(records / "again.log", "/s");
    EXPECT_EQ(again.status, kRebootRequired);
    EXPECT_EQ(ItemsRecorded(again.lines, "at restart"), atRestart);
    const std::vector<std::string> pending = PendingDeletions();
    EXPECT_EQ(std::count(pending.begin(), pending.end(), "\\??\\" + inUse), 1) << "scheduled twice, or never";
    const RecordedRun waiting = RunWithRecord(records / "waiting.log", "/preview /s");
    EXPECT_EQ(ItemsRecorded(waiting.lines, "would schedule"), atRestart);
    held.Reset();

    ASSERT_TRUE(RestartWindows());
    EXPECT_FALSE(Exists(inUse));
    EXPECT_EQ(Wrong(machine.Inspect()), std::vector<std::string>());
    if (IsWow64()) {
        const sysops::ScopedFsRedirectionOff native;
        EXPECT_TRUE(Exists(nativeTwin)) << "the restart deleted the native file of the name";
        DeleteFileA(nativeTwin.c_str());
    }

    const RecordedRun clean = RunWithRecord(records / "clean.log", "/s");
    EXPECT_EQ(clean.status, kRebootRequired);
    for (const char* outcome : {"removed", "at restart", "would remove", "kept", "failed"})
        EXPECT_EQ(ItemsRecorded(clean.lines, outcome), std::vector<std::string>()) << outcome;
    EXPECT_FALSE(ItemsRecorded(clean.lines, "not present").empty());
    EXPECT_EQ(RunWithRecord(records / "clean-preview.log", "/preview /s").status, 0);
}

// ---- what somebody who may write where the run works can try -------------

constexpr char kInstallDirKey[] = "Software\\TQM\\CardBridge\\Main";

// The install tree's parent is swapped for a link to another folder after
// the guard judged the tree and before it is deleted, from another process,
// as an ordinary user could: the rename must fail, or else the run must
// refuse; the folder behind the link stays either way.
TEST(EndToEnd, FolderAboveTheInstallTreeCannotBeSwappedDuringTheRun)
{
    const ScopedRegKey key("Software\\TQM", kView32);
    const ScratchDir scratch("swap");
    const std::string stage = scratch / "Stage";
    const std::string victim = scratch / "System\\Victim\\keep.txt";
    ASSERT_TRUE(PlantFile(stage + "\\Victim\\bin\\tool.exe"));
    ASSERT_TRUE(PlantFile(victim));
    ASSERT_TRUE(PlantString(kInstallDirKey, "MorvDir", stage + "\\Victim", kView32));
    const std::string record = scratch / "run.log";

    ProgramUnderTest program(ProgramPath(), "/s /log:" + record);
    // The guard has judged the tree by the time the outside programs run;
    // the tree goes after them and a pause of a second.
    ASSERT_TRUE(PollUntil(std::chrono::seconds(20), [&] {
        return !LineStarting(ReadLines(record), "stage        programs").empty() || !program.Running();
    }));
    ASSERT_TRUE(program.Running()) << "the run ended before the swap could be tried";
    const BOOL moved = MoveFileA(stage.c_str(), (stage + ".old").c_str());
    const DWORD error = GetLastError();
    const bool linked = moved && MakeUnixLink(scratch.Path(), "Stage", "System");
    const int status = program.WaitForExit(kRunTimeOut);
    if (linked)
        RemoveUnixLink(scratch.Path(), "Stage");

    EXPECT_TRUE(Exists(victim)) << "the folder behind the link was emptied";
    EXPECT_FALSE(moved) << "a folder above the install tree was renamed while the run held it";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(status, kRebootRequired);
    EXPECT_FALSE(Exists(stage + "\\Victim"));
}

struct ComponentCase {
    const char* name;
    const char* behaviour;  // what the component does after leaving its mark (SampleMarks.h)
    bool othersMayWrite;    // the install folder lets Everyone write
    bool programsFolderToo; // so does the folder the program runs from
    bool called;
    const char* recorded;   // how its record line starts
    bool bothMachines;      // or only the 32-bit one, where two minutes are waited out
};

void PrintTo(const ComponentCase& c, std::ostream* out)
{
    *out << c.name;
}

const ComponentCase kComponentCases[] = {
    {"WritableByOthers", "", true, false, false, "kept         identity component", true},
    // Windows would look for the libraries the component needs there first.
    {"ProgramsFolderWritableByOthers", "", false, true, false, "failed       identity component", true},
    {"Crashes", "crash", false, false, true, "failed       identity component", true},
    {"NeverReturns", "hang", false, false, true, "failed       identity component", false},
};

// The identity component runs with the program's rights only from where
// nobody but administrators could have put it, and apart: a crash or a
// hang in it costs the run nothing but the call.
class IdentityComponent : public ::testing::TestWithParam<ComponentCase> {};

TEST_P(IdentityComponent, RunsOnlyFromAFolderOfAdministratorsAndApart)
{
    const ComponentCase& c = GetParam();
    if (!c.bothMachines && IsWow64())
        GTEST_SKIP() << "the two-minute bound is waited out in the 32-bit machine only";
    const Scenario scenario = IsWow64() ? kScenarios[0] : kScenarios[2];
    const PlantedMachine machine(scenario);
    ASSERT_TRUE(machine.Planted());
    ASSERT_TRUE(machine.Failures().empty()) << machine.Failures().front();
    std::string installDir = StringValue(kInstallDirKey, "MorvDir", kView32);
    if (!installDir.empty() && installDir.back() == '\\')
        installDir.pop_back();
    ASSERT_TRUE(IsDirectory(installDir)) << installDir;
    if (*c.behaviour != '\0') {
        ASSERT_TRUE(WriteText(std::string(sample::kMarksDir) + "\\" + sample_marks::kIdentityBehaviour, c.behaviour));
    }
    if (c.othersMayWrite) {
        ASSERT_TRUE(GrantEveryoneWrite(installDir));
    }
    const ScratchDir records("component");
    std::string program = ProgramPath();
    if (c.programsFolderToo) {
        program = records / "MorvUninst.exe";
        ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), program.c_str(), TRUE));
        ASSERT_TRUE(GrantEveryoneWrite(records.Path()));
    }

    const RecordedRun run = RunWithRecord(records / "run.log", "/s", std::chrono::minutes(4), program);

    EXPECT_EQ(run.status, kRebootRequired);
    const std::string marks = ReadText(std::string(sample::kMarksDir) + "\\identity.txt");
    EXPECT_EQ(marks.find("SealIdentityUninstall") != std::string::npos, c.called) << marks;
    EXPECT_NE(LineStarting(run.lines, c.recorded), "") << "no line starting \"" << c.recorded << "\"";
    EXPECT_FALSE(Exists(installDir));
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, IdentityComponent, ::testing::ValuesIn(kComponentCases));

// An install directory and a cached package on a share: the run refuses
// both by their names and never reaches the server. Wine reaches
// \\host\share through dosdevices\unc\host\share, here a link to a folder
// of the test's; its file channel shows every path a program resolves.
TEST(EndToEnd, RefusedShareIsNeverReached)
{
    if (!IsWine())
        GTEST_SKIP() << "counts the paths through Wine's file channel";
    const ScopedRegKey key("Software\\TQM", kView32);
    const std::string packageKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\"
        "1E49C7D26B0A83F4E851C6B4F9A0D237";
    const ScopedRegKey package(packageKey, NativeView());
    const ScratchDir scratch("share");
    ASSERT_TRUE(PlantFile(scratch / "Morvane\\Installation\\Seal5\\idsl5in.dll"));
    ASSERT_TRUE(PlantFile(scratch / "cached.msi"));
    const std::string uncRoot = DosDevicesDir() + "\\unc\\morvhost";
    ASSERT_TRUE(MakeDirs(uncRoot)) << uncRoot;
    ASSERT_TRUE(MakeUnixLink(uncRoot, "share", UnixPath(scratch.Path())));
    ASSERT_TRUE(Exists("\\\\morvhost\\share\\Morvane\\Installation\\Seal5\\idsl5in.dll"));
    ASSERT_TRUE(PlantString(kInstallDirKey, "MorvDir", "\\\\morvhost\\share\\Morvane", kView32));
    ASSERT_TRUE(PlantString(packageKey + "\\InstallProperties", "LocalPackage", "\\\\morvhost\\share\\cached.msi",
                            NativeView()));
    const std::string trace = scratch / "trace.txt";
    const std::string record = scratch / "run.log";

    const int status = RunWithFileTrace(ProgramPath(), "/s /log:" + record, trace, kRunTimeOut);
    RemoveUnixLink(uncRoot, "share");
    RemoveTree(FolderOf(uncRoot));

    EXPECT_EQ(status, kRebootRequired % 256);
    const std::vector<std::string> lines = ReadLines(record);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "exit         3010");
    EXPECT_NE(LineStarting(lines, "kept         tree               \\\\morvhost\\share\\Morvane"), "");
    std::size_t traced = 0;
    std::vector<std::string> reached;
    for (const std::string& line : ReadLines(trace)) {
        traced += line.find("trace:file:") != std::string::npos ? 1 : 0;
        std::string lower = line;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower.find("morvhost") != std::string::npos && reached.size() < 5)
            reached.push_back(line);
    }
    EXPECT_GT(traced, 100u) << "the file channel was not traced";
    EXPECT_EQ(reached, std::vector<std::string>());
    EXPECT_TRUE(Exists(scratch / "Morvane\\Installation\\Seal5\\idsl5in.dll"));
    EXPECT_TRUE(Exists(scratch / "cached.msi"));
}

// The record is written where the program may run as SYSTEM and anybody
// may create files: a file prepared there is never written to, nothing
// read from the machine can start a line of its own, and without a folder
// for it there is no record at all, never one in the current directory.
TEST(EndToEnd, NobodyElseCanSteerTheRecord)
{
    const ScopedRegKey key("Software\\TQM", kView32);
    const ScratchDir scratch("record");
    const std::string victim = scratch / "victim.ini";
    const std::string record = scratch / "run.log";
    ASSERT_TRUE(WriteText(victim, "[kept]\r\n"));
    ASSERT_TRUE(CreateHardLinkA(record.c_str(), victim.c_str(), nullptr));
    ASSERT_TRUE(PlantString(kInstallDirKey, "MorvDir", "C:\\Morvane\r\nexit         3010", kView32));

    ProgramUnderTest program(ProgramPath(), "/s /log:" + record);
    EXPECT_EQ(program.WaitForExit(kRunTimeOut), kRebootRequired);
    EXPECT_EQ(ReadText(victim), "[kept]\r\n");
    std::string beside;
    for (const DirEntry& entry : ListDir(scratch.Path())) {
        if (entry.name.rfind("run-", 0) == 0)
            beside = scratch / entry.name;
    }
    const std::vector<std::string> lines = ReadLines(beside);
    ASSERT_FALSE(lines.empty()) << "no record beside " << record;
    EXPECT_EQ(lines.front(), "record       " + record + " was not written to (a file with more than one name): "
                                 "this record is " + beside);
    EXPECT_NE(LineStarting(lines, "location     install directory C:\\Morvane<0D><0A>exit         3010"), "");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("exit", 0) == 0; }), 1);

    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    const std::string stray = std::string(current) + "\\MorvUninst.log";
    DeleteForced(stray);
    const std::string longTemp = "C:\\" + std::string(600, 't');
    ProgramUnderTest noFolder(ProgramPath(), "/s /log", {"TEMP=" + longTemp, "TMP=" + longTemp});
    EXPECT_EQ(noFolder.WaitForExit(kRunTimeOut), kRebootRequired);
    EXPECT_FALSE(Exists(stray));
}

}  // namespace
