#include "sysops/Processes.h"
#include "sysops/Probes.h"
#include "sysops/Spawn.h"

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
using sysops::SpawnAndWait;

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

// Programs named like the product's: its monitor under two spellings, two
// copies of its certificate manager, and a host that loaded a module named
// like its daemon, as Explorer loads a program to read its icon.
struct NamedCopies {
    ::testing::AssertionResult Start(const ScratchDir& scratch);

    std::unique_ptr<Started> upper, mixed, certmngOne, certmngTwo, host;
};

::testing::AssertionResult NamedCopies::Start(const ScratchDir& scratch)
{
    const std::string library = scratch / "TQDAEMON.EXE";
    const struct {
        std::unique_ptr<Started>& copy;
        std::string path;
        std::string arguments;
    } copies[] = {
        {upper, scratch / "upper\\SCMON.EXE", ""},
        {mixed, scratch / "mixed\\Scmon.exe", ""},
        {certmngOne, scratch / "CERTMNG.EXE", ""},
        {certmngTwo, scratch / "CERTMNG.EXE", ""},
        {host, scratch / "host.exe", "--load " + library},
    };
    for (const std::string& path : {library, copies[0].path, copies[1].path, copies[2].path, copies[4].path}) {
        const ::testing::AssertionResult placed = PlaceCopy(path);
        if (!placed)
            return placed;
    }
    for (const auto& start : copies) {
        start.copy = StartCopy(start.path, start.arguments);
        const ::testing::AssertionResult up = start.copy->Up();
        if (!up)
            return up;
    }
    return host->Loaded("TQDAEMON.EXE");
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


// The uninstaller's names are used for the copies; a process of such a name
// that the test did not start would be at risk, so its presence stops the test.
#define ASSERT_NOBODY_RUNS(name) \
    ASSERT_EQ(CountRunning(name), 0u) << "a process named " << (name) << " that this test did not start is running"

// With several users logged on, each runs a copy of its own: one call ends
// them all, and returns once they have gone.
TEST(KillProcessByName, EndsEveryCopyInOneCallAndWaitsForThem)
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

    EXPECT_TRUE(KillProcessByName("scmon.exe").Done());
    EXPECT_FALSE(one->Running());
    EXPECT_FALSE(two->Running());
    EXPECT_EQ(one->EndedWith(), kKilledStatus);
    EXPECT_EQ(two->EndedWith(), kKilledStatus);

    EXPECT_TRUE(KillProcessByName("scmon.exe").Done());
    for (const auto& bystander : bystanders)
        EXPECT_TRUE(bystander->Running());
}

TEST(KillProcessByName, OnNtTheExecutableMatchesInAnyCase)
{
    for (const char* name : {"scmon.exe", "certmng.exe", "tqdaemon.exe"})
        ASSERT_NOBODY_RUNS(name);
    const ScratchDir scratch("procs");
    NamedCopies copies;
    ASSERT_TRUE(copies.Start(scratch));

    EXPECT_TRUE(KillProcessByName("scmon.exe").Done());
    EXPECT_EQ(copies.upper->EndedWith(), kKilledStatus);
    EXPECT_EQ(copies.mixed->EndedWith(), kKilledStatus);
    EXPECT_TRUE(KillProcessByName("CertMng.EXE").Done());
    EXPECT_EQ(copies.certmngOne->EndedWith(), kKilledStatus);
    EXPECT_EQ(copies.certmngTwo->EndedWith(), kKilledStatus);

    // Only the executable's own name counts, not a library's.
    EXPECT_TRUE(KillProcessByName("tqdaemon.exe").Done());
    EXPECT_TRUE(copies.host->Running());
}

// EnumProcesses fills what fits and says nothing of the rest; a target
// listed after the 250th process must still be found.
// However the system orders its list, so many copies that some of them
// must come after the first 250 entries: one call ends every one of them.
TEST(KillProcessByName, SearchesEveryProcessNotOnlyTheFirst250)
{
    ASSERT_NOBODY_RUNS("tqcltsrv.exe");
    const ScratchDir scratch("procs");
    const std::string bystander = scratch / "morvfill.exe";
    const std::string target = scratch / "tqcltsrv.exe";
    ASSERT_TRUE(PlaceCopy(bystander));
    ASSERT_TRUE(PlaceCopy(target));
    const auto bystanderCopy = StartCopy(bystander);
    ASSERT_TRUE(bystanderCopy->Up());
    std::vector<std::unique_ptr<Started>> copies;
    for (std::size_t count = ListedIds().size(); count < 270; ++count)
        copies.push_back(StartCopy(target));
    for (const auto& copy : copies)
        ASSERT_TRUE(copy->Up());
    ASSERT_GT(ListedIds().size(), 260u);

    // So many copies may take longer to go than the call waits for them on a
    // slow machine; what counts here is that every one was ended.
    const sysops::Result result = KillProcessByName("tqcltsrv.exe");
    EXPECT_TRUE(result.Done() || result.error == ERROR_TIMEOUT) << result.error;
    const auto left = [&copies] {
        return std::count_if(copies.begin(), copies.end(),
                             [](const std::unique_ptr<Started>& copy) { return copy->Running(); });
    };
    EXPECT_TRUE(PollUntil(kWait, [&] { return left() == 0; })) << left() << " of " << copies.size() << " copies run";
    EXPECT_TRUE(bystanderCopy->Running());
}

TEST(KillProcessByName, RefusesBadNamesAndReportsNoMatch)
{
    EXPECT_EQ(KillProcessByName("").error, static_cast<unsigned long>(ERROR_INVALID_NAME));
    EXPECT_EQ(KillProcessByName(nullptr).error, static_cast<unsigned long>(ERROR_INVALID_NAME));
    const std::string longest = std::string(256, 'a') + ".exe";
    ASSERT_EQ(longest.size(), 260u);
    EXPECT_TRUE(KillProcessByName(longest.c_str()).Done());
    EXPECT_EQ(KillProcessByName((longest + "x").c_str()).error, static_cast<unsigned long>(ERROR_INVALID_NAME));

    ASSERT_NOBODY_RUNS("tqdaemon.exe");
    EXPECT_TRUE(KillProcessByName("tqdaemon.exe").Done());
}

// On the 9x family too only a process's own executable counts, compared
// without regard to case: Windows 98 reports names in upper case, Wine as the
// path that started them spells them. A program that merely loaded a module
// of the name (Explorer reading a program's icon) is left alone.
TEST(KillProcessByName, OnWindows98TheExecutableMatchesWhateverItsCase)
{
    const ScopedWindowsVersion win98("win98");
    if (win98.Refused())
        GTEST_SKIP() << "only a 32-bit prefix takes win98; the 9x listing is tested there";
    ASSERT_EQ(RunAndWait(CommandLine(HelperPath("osprobe.exe"))), sysops::OSCLASS_WIN98);
    for (const char* name : {"scmon.exe", "certmng.exe", "tqdaemon.exe"})
        ASSERT_NOBODY_RUNS(name);
    const ScratchDir scratch("procs");
    NamedCopies copies;
    ASSERT_TRUE(copies.Start(scratch));

    // The version is read by the process that calls, so a child calls.
    auto kill = [](const char* name) {
        return RunAndWait(CommandLine(HelperPath("killbyname.exe"), name));
    };

    // A library's name is not.
    EXPECT_EQ(kill("tqdaemon.exe"), 0);
    EXPECT_TRUE(copies.host->Running());

    // Whatever the case reported, every copy goes at once.
    EXPECT_EQ(kill("sCMON.exE"), 0);
    EXPECT_FALSE(copies.upper->Running());
    EXPECT_FALSE(copies.mixed->Running());
    EXPECT_EQ(copies.upper->EndedWith(), kKilledStatus);
    EXPECT_EQ(copies.mixed->EndedWith(), kKilledStatus);
    EXPECT_EQ(kill("scmon.exe"), 0);

    EXPECT_EQ(kill("certmng.exe"), 0);
    EXPECT_EQ(copies.certmngOne->EndedWith(), kKilledStatus);
    EXPECT_EQ(copies.certmngTwo->EndedWith(), kKilledStatus);
}

// A window of the test's thread that answers WM_APP with kAnswer, as the
// dialog answers what other programs send it.
constexpr LRESULT kAnswer = 42;

LRESULT CALLBACK AnswerApp(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_APP ? kAnswer : DefWindowProcA(window, message, wParam, lParam);
}

class AnsweringWindow {
public:
    AnsweringWindow()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = AnswerApp;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "MorvTestAnswer";
        RegisterClassA(&windowClass);
        window_ = CreateWindowA("MorvTestAnswer", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    }
    ~AnsweringWindow() { DestroyWindow(window_); }
    AnsweringWindow(const AnsweringWindow&) = delete;
    AnsweringWindow& operator=(const AnsweringWindow&) = delete;

    HWND Get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// An outside program gets its bound and no more, and the messages of the
// waiting thread keep moving: a program that sends one to our window
// finishes, and a WM_QUIT posted before the wait is still there after it.
TEST(SpawnAndWait, EndsAProgramThatOutlivesItsBoundAndTakesMessagesMeanwhile)
{
    ASSERT_NOBODY_RUNS("neverends.exe");
    const ScratchDir scratch("spawn");
    ASSERT_TRUE(PlaceCopy(scratch / "neverends.exe"));
    constexpr DWORD kBoundMs = 2000;
    const DWORD waitMs = Milliseconds(kWait);
    const DWORD started = GetTickCount();
    EXPECT_EQ(SpawnAndWait(scratch.Path(), "neverends.exe", "600000", kBoundMs).error,
              static_cast<unsigned long>(ERROR_TIMEOUT));
    const DWORD took = GetTickCount() - started;
    EXPECT_GE(took, kBoundMs);
    EXPECT_LT(took, kBoundMs + waitMs);
    EXPECT_EQ(CountRunning("neverends.exe"), 0u);

    const AnsweringWindow window;
    ASSERT_NE(window.Get(), nullptr);
    const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(window.Get()));
    PostQuitMessage(3);
    unsigned long answer = 0;
    EXPECT_TRUE(SpawnAndWait(TestBinDir(), "idlewait.exe", ("--send " + handle).c_str(), waitMs, &answer).Done());
    EXPECT_EQ(answer, static_cast<unsigned long>(kAnswer));
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

}  // namespace
