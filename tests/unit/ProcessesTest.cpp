#include "sysops/Processes.h"
#include "sysops/Probes.h"

#include "machine/Child.h"
#include "machine/Files.h"
#include "machine/Paths.h"
#include "machine/Processes.h"
#include "machine/WindowsVersion.h"
#include "support/Planting.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

using namespace machine;
using namespace testing_support;
using sysops::KillProcessByName;

namespace {

constexpr TimeOut kWait = std::chrono::seconds(10);
// Exit status of a copy that the program under test ended (TerminateProcess
// with 0); the copies themselves leave with 7 when nobody ends them, and the
// tests end their own leftovers with 1.
constexpr long kKilledStatus = 0;

std::string HelperPath(const char* name)
{
    return TestBinDir() + "\\" + name;
}

// A copy of the waiting helper at `path` (the folder is made).
::testing::AssertionResult PlaceCopy(const std::string& path)
{
    return PlantCopy(HelperPath("idlewait.exe"), path);
}

// A program the test started; ended (with status 1) when the object goes if
// it still runs, so nothing of a failed test stays behind.
class Started {
public:
    explicit Started(const std::string& exePath, const std::string& arguments = "")
        : child_(Launch{CommandLine(exePath, arguments), std::string(), {}, StandardHandles::Shared}),
          image_(exePath.substr(exePath.find_last_of('\\') + 1))
    {
    }

    DWORD Id() const { return child_.Id(); }
    bool Running() const { return child_.Running(); }

    // Its exit status once it has ended (bounded wait), -1 if it still runs.
    long EndedWith() const { return child_.ExitCode(kWait); }

    // Waits until the process has loaded the module (its executable, say),
    // so that listing it finds its name.
    ::testing::AssertionResult Loaded(const std::string& moduleName) const
    {
        if (!child_.Started())
            return ::testing::AssertionFailure() << image_ << " did not start (error " << child_.StartError() << ")";
        if (PollUntil(kWait, [&] { return HasModule(Id(), moduleName) || !Running(); }) && HasModule(Id(), moduleName))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << image_ << " never showed the module " << moduleName;
    }
    // The same for its own executable: it came up.
    ::testing::AssertionResult Up() const { return Loaded(image_); }

private:
    Child child_;
    std::string image_;
};

// Starts a copy of the waiting helper.
std::unique_ptr<Started> StartCopy(const std::string& exePath, const std::string& arguments = "")
{
    return std::make_unique<Started>(exePath, arguments);
}

// The process identifiers in the order EnumProcesses gives them.
std::vector<DWORD> ListedIds()
{
    std::vector<DWORD> ids(16384);
    DWORD returned = 0;
    EXPECT_TRUE(EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &returned));
    EXPECT_LT(returned, ids.size() * sizeof(DWORD)) << "more processes than the test can list";
    ids.resize(returned / sizeof(DWORD));
    return ids;
}

std::size_t Position(const std::vector<DWORD>& ids, DWORD id)
{
    return static_cast<std::size_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
}

// The processes in the order Toolhelp walks them.
std::vector<DWORD> WalkedIds()
{
    std::vector<DWORD> ids;
    for (const ProcessEntry& entry : RunningProcesses())
        ids.push_back(entry.id);
    return ids;
}

// The uninstaller's names are used for the copies; a process of such a name
// that the test did not start would be at risk, so its presence stops the test.
#define ASSERT_NOBODY_RUNS(name) \
    ASSERT_EQ(CountRunning(name), 0u) << "a process named " << (name) << " that this test did not start is running"

TEST(KillProcessByName, EndsTheFirstListedCopyThenTheOther)
{
    ASSERT_NOBODY_RUNS("scmon.exe");
    const ScratchDir scratch("procs");
    const std::string target = scratch / "scmon.exe";
    ASSERT_TRUE(PlaceCopy(target));
    // Names that only resemble the target, started first so that they are
    // listed before it.
    std::vector<std::unique_ptr<Started>> bystanders;
    for (const char* name : {"xscmon.exe", "scmon.exe.exe", "scmon.ex", "scmon"}) {
        ASSERT_TRUE(PlaceCopy(scratch / name));
        bystanders.push_back(StartCopy(scratch / name));
        ASSERT_TRUE(bystanders.back()->Up());
    }
    const auto one = StartCopy(target);
    ASSERT_TRUE(one->Up());
    const auto two = StartCopy(target);
    ASSERT_TRUE(two->Up());
    const std::vector<DWORD> ids = ListedIds();
    ASSERT_LT(Position(ids, one->Id()), ids.size());
    ASSERT_LT(Position(ids, two->Id()), ids.size());
    const bool oneFirst = Position(ids, one->Id()) < Position(ids, two->Id());
    const Started& first = oneFirst ? *one : *two;
    const Started& second = oneFirst ? *two : *one;

    EXPECT_EQ(KillProcessByName("scmon.exe"), sysops::KILL_DONE);
    EXPECT_EQ(first.EndedWith(), kKilledStatus);
    EXPECT_TRUE(second.Running());

    EXPECT_EQ(KillProcessByName("scmon.exe"), sysops::KILL_DONE);
    EXPECT_EQ(second.EndedWith(), kKilledStatus);

    EXPECT_EQ(KillProcessByName("scmon.exe"), sysops::KILL_NOT_FOUND);
    for (const auto& bystander : bystanders)
        EXPECT_TRUE(bystander->Running());
}

TEST(KillProcessByName, OnNtTheExecutableMatchesInAnyCase)
{
    ASSERT_NOBODY_RUNS("scmon.exe");
    ASSERT_NOBODY_RUNS("certmng.exe");
    ASSERT_NOBODY_RUNS("tqdaemon.exe");
    const ScratchDir scratch("procs");
    const std::string upper = scratch / "upper\\SCMON.EXE";
    const std::string mixed = scratch / "mixed\\Scmon.exe";
    const std::string certmng = scratch / "certmng.exe";
    const std::string host = scratch / "host.exe";
    const std::string library = scratch / "TQDAEMON.EXE";
    for (const std::string& path : {upper, mixed, certmng, host, library})
        ASSERT_TRUE(PlaceCopy(path));
    const auto upperCopy = StartCopy(upper);
    ASSERT_TRUE(upperCopy->Up());
    const auto mixedCopy = StartCopy(mixed);
    ASSERT_TRUE(mixedCopy->Up());
    const auto certmngCopy = StartCopy(certmng);
    ASSERT_TRUE(certmngCopy->Up());
    // Only the executable's own name counts on NT, not a library's.
    const auto hostCopy = StartCopy(host, "--load " + library);
    ASSERT_TRUE(hostCopy->Up());
    ASSERT_TRUE(hostCopy->Loaded("TQDAEMON.EXE"));

    EXPECT_EQ(KillProcessByName("scmon.exe"), sysops::KILL_DONE);
    EXPECT_EQ(KillProcessByName("scmon.exe"), sysops::KILL_DONE);
    EXPECT_EQ(upperCopy->EndedWith(), kKilledStatus);
    EXPECT_EQ(mixedCopy->EndedWith(), kKilledStatus);
    EXPECT_EQ(KillProcessByName("CertMng.EXE"), sysops::KILL_DONE);
    EXPECT_EQ(certmngCopy->EndedWith(), kKilledStatus);

    EXPECT_EQ(KillProcessByName("tqdaemon.exe"), sysops::KILL_NOT_FOUND);
    EXPECT_TRUE(hostCopy->Running());
}

// EnumProcesses fills what fits and says nothing of the rest; a target
// listed after the 250th process must still be found.
TEST(KillProcessByName, SearchesEveryProcessNotOnlyTheFirst250)
{
    ASSERT_NOBODY_RUNS("tqcltsrv.exe");
    const ScratchDir scratch("procs");
    const std::string filler = scratch / "morvfill.exe";
    const std::string target = scratch / "tqcltsrv.exe";
    ASSERT_TRUE(PlaceCopy(filler));
    ASSERT_TRUE(PlaceCopy(target));
    const std::size_t running = ListedIds().size();
    std::vector<std::unique_ptr<Started>> fillers;
    for (std::size_t count = running; count < 260; ++count)
        fillers.push_back(std::make_unique<Started>(filler));
    const auto targetCopy = StartCopy(target);
    ASSERT_TRUE(targetCopy->Up());
    const std::vector<DWORD> ids = ListedIds();
    const std::size_t position = Position(ids, targetCopy->Id());
    ASSERT_LT(position, ids.size());
    ASSERT_GE(position, 250u) << "this system lists new processes first; the case shows nothing here";

    EXPECT_EQ(KillProcessByName("tqcltsrv.exe"), sysops::KILL_DONE);
    EXPECT_EQ(targetCopy->EndedWith(), kKilledStatus);
    const auto stillRunning = std::count_if(fillers.begin(), fillers.end(),
                                            [](const std::unique_ptr<Started>& f) { return f->Running(); });
    EXPECT_EQ(static_cast<std::size_t>(stillRunning), fillers.size());
}

TEST(KillProcessByName, RefusesBadNamesAndReportsNoMatch)
{
    EXPECT_EQ(KillProcessByName(""), sysops::KILL_BAD_NAME);
    EXPECT_EQ(KillProcessByName(nullptr), sysops::KILL_BAD_NAME);
    const std::string longest = std::string(256, 'a') + ".exe";
    ASSERT_EQ(longest.size(), 260u);
    EXPECT_EQ(KillProcessByName(longest.c_str()), sysops::KILL_NOT_FOUND);
    EXPECT_EQ(KillProcessByName((longest + "x").c_str()), sysops::KILL_BAD_NAME);

    ASSERT_NOBODY_RUNS("tqdaemon.exe");
    EXPECT_EQ(KillProcessByName("tqdaemon.exe"), sysops::KILL_NOT_FOUND);
}

// On the 9x family every module of every process is compared with the name,
// without regard to case: Windows 98 reports module names in upper case,
// Wine as the path that loaded them spells them.
TEST(KillProcessByName, OnWindows98AnyModuleMatchesWhateverItsCase)
{
    const ScopedWindowsVersion win98("win98");
    if (win98.Refused())
        GTEST_SKIP() << "only a 32-bit prefix takes win98; the 9x listing is tested there";
    ASSERT_EQ(RunAndWait(CommandLine(HelperPath("osprobe.exe"))), sysops::OSCLASS_WIN98);
    for (const char* name : {"scmon.exe", "certmng.exe", "tqdaemon.exe"})
        ASSERT_NOBODY_RUNS(name);
    const ScratchDir scratch("procs");
    const std::string upper = scratch / "upper\\SCMON.EXE";
    const std::string lower = scratch / "lower\\scmon.exe";
    const std::string certmng = scratch / "CERTMNG.EXE";
    const std::string host = scratch / "host.exe";
    const std::string library = scratch / "TQDAEMON.EXE";
    for (const std::string& path : {upper, lower, certmng, host, library})
        ASSERT_TRUE(PlaceCopy(path));
    const auto lowerCopy = StartCopy(lower);
    ASSERT_TRUE(lowerCopy->Up());
    const auto upperCopy = StartCopy(upper);
    ASSERT_TRUE(upperCopy->Up());
    const auto certmngOne = StartCopy(certmng);
    ASSERT_TRUE(certmngOne->Up());
    const auto certmngTwo = StartCopy(certmng);
    ASSERT_TRUE(certmngTwo->Up());
    const auto hostCopy = StartCopy(host, "--load " + library);
    ASSERT_TRUE(hostCopy->Up());
    ASSERT_TRUE(hostCopy->Loaded("TQDAEMON.EXE"));
    ASSERT_TRUE(HasModule(lowerCopy->Id(), "scmon.exe")) << "Wine no longer reports the name as loaded";
    const std::vector<DWORD> ids = WalkedIds();
    ASSERT_LT(Position(ids, lowerCopy->Id()), Position(ids, upperCopy->Id()));

    // The version is read by the process that calls, so a child calls.
    auto kill = [](const char* name) {
        return RunAndWait(CommandLine(HelperPath("killbyname.exe"), name));
    };

    // A library's name is enough.
    EXPECT_EQ(kill("tqdaemon.exe"), sysops::KILL_DONE);
    EXPECT_EQ(hostCopy->EndedWith(), kKilledStatus);

    // Whatever the case reported, the first listed goes first.
    EXPECT_EQ(kill("scmon.exe"), sysops::KILL_DONE);
    EXPECT_EQ(lowerCopy->EndedWith(), kKilledStatus);
    EXPECT_TRUE(upperCopy->Running());
    EXPECT_EQ(kill("Scmon.Exe"), sysops::KILL_DONE);
    EXPECT_EQ(upperCopy->EndedWith(), kKilledStatus);
    EXPECT_EQ(kill("scmon.exe"), sysops::KILL_NOT_FOUND);

    const bool oneFirst = Position(ids, certmngOne->Id()) < Position(ids, certmngTwo->Id());
    const Started& first = oneFirst ? *certmngOne : *certmngTwo;
    const Started& second = oneFirst ? *certmngTwo : *certmngOne;
    EXPECT_EQ(kill("certmng.exe"), sysops::KILL_DONE);
    EXPECT_EQ(first.EndedWith(), kKilledStatus);
    EXPECT_TRUE(second.Running());
}

}  // namespace
