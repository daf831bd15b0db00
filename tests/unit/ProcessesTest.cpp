#include "sysops/Processes.h"
#include "sysops/Probes.h"
#include "sysops/Spawn.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace testing_support;
using sysops::KillProcessByName;
using sysops::SpawnAndWait;

namespace {

constexpr DWORD kWaitMs = 10000;
// Exit status of a copy that the program under test ended (TerminateProcess
// with 0); the copies themselves leave with 7 when nobody ends them, and the
// tests end their own leftovers with 1.
constexpr long kKilledStatus = 0;

std::string HelperPath(const char* name)
{
    return TestBinDir() + "\\" + name;
}

// A copy of the waiting helper at `path` (the folder is made).
void PlaceCopy(const std::string& path)
{
    MakeDirs(path.substr(0, path.find_last_of('\\')));
    ASSERT_TRUE(CopyFileA(HelperPath("idlewait.exe").c_str(), path.c_str(), FALSE)) << path;
}

// Whether the process has a module of exactly this name, as Toolhelp
// reports it.
bool HasModule(DWORD processId, const std::string& name)
{
    const HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (modules == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32 module;
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32First(modules, &module); more && !found; more = Module32Next(modules, &module))
        found = name == module.szModule;
    CloseHandle(modules);
    return found;
}

// A program the test started; ended (with status 1) when the object goes if
// it still runs, so nothing of a failed test stays behind.
class Started {
public:
    explicit Started(const std::string& exePath, const std::string& arguments = "")
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string line = "\"" + exePath + "\" " + arguments;
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        EXPECT_TRUE(CreateProcessA(exePath.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process_))
            << exePath << ": error " << GetLastError();
        if (process_.hThread != nullptr)
            CloseHandle(process_.hThread);
    }
    ~Started()
    {
        if (process_.hProcess == nullptr)
            return;
        if (Running()) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, kWaitMs);
        }
        CloseHandle(process_.hProcess);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    DWORD Id() const { return process_.dwProcessId; }
    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

    // Its exit status once it has ended (bounded wait), -1 if it still runs.
    long EndedWith() const
    {
        DWORD status = 0;
        if (WaitForSingleObject(process_.hProcess, kWaitMs) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_.hProcess, &status))
            return -1;
        return static_cast<long>(status);
    }

    // Waits until the process has loaded the module (its executable, say),
    // so that listing it finds its name; false if that never happens.
    bool Loaded(const std::string& moduleName) const
    {
        for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
            if (HasModule(Id(), moduleName))
                return true;
            if (!Running())
                return false;
            Sleep(50);
        }
        return false;
    }

private:
    PROCESS_INFORMATION process_ = {};
};

// Starts a copy of the waiting helper and waits until its name can be read.
std::unique_ptr<Started> StartCopy(const std::string& exePath, const std::string& arguments = "")
{
    auto started = std::make_unique<Started>(exePath, arguments);
    const std::string name = exePath.substr(exePath.find_last_of('\\') + 1);
    EXPECT_TRUE(started->Loaded(name)) << exePath << " did not come up";
    return started;
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
std::vector<PROCESSENTRY32> WalkedProcesses()
{
    std::vector<PROCESSENTRY32> walked;
    const HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(processes, &entry); more; more = Process32Next(processes, &entry))
        walked.push_back(entry);
    CloseHandle(processes);
    return walked;
}

// The uninstaller's names are used for the copies; a process of such a name
// that the test did not start would be at risk, so its presence stops the test.
bool SomeoneRuns(const char* exeName)
{
    const std::vector<PROCESSENTRY32> walked = WalkedProcesses();
    return std::any_of(walked.begin(), walked.end(),
                       [exeName](const PROCESSENTRY32& entry) { return lstrcmpiA(entry.szExeFile, exeName) == 0; });
}

#define ASSERT_NOBODY_RUNS(name) \
    ASSERT_FALSE(SomeoneRuns(name)) << "a process named " << (name) << " that this test did not start is running"

// With several users logged on, each runs a copy of its own: one call ends
// them all, and returns once they have gone.
TEST(KillProcessByName, EndsEveryCopyInOneCallAndWaitsForThem)
{
    ASSERT_NOBODY_RUNS("scmon.exe");
    const ScratchDir scratch("procs");
    const std::string target = scratch / "scmon.exe";
    PlaceCopy(target);
    // Names that only resemble the target, started first so that they are
    // listed before it.
    std::vector<std::unique_ptr<Started>> bystanders;
    for (const char* name : {"xscmon.exe", "scmon.exe.exe", "scmon.ex", "scmon"}) {
        PlaceCopy(scratch / name);
        bystanders.push_back(StartCopy(scratch / name));
    }
    const auto one = StartCopy(target);
    const auto two = StartCopy(target);

    EXPECT_EQ(KillProcessByName("scmon.exe"), sysops::KILL_DONE);
    EXPECT_FALSE(one->Running());
    EXPECT_FALSE(two->Running());
    EXPECT_EQ(one->EndedWith(), kKilledStatus);
    EXPECT_EQ(two->EndedWith(), kKilledStatus);

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
        PlaceCopy(path);
    const auto upperCopy = StartCopy(upper);
    const auto mixedCopy = StartCopy(mixed);
    const auto certmngCopy = StartCopy(certmng);
    // Only the executable's own name counts on NT, not a library's.
    const auto hostCopy = StartCopy(host, "--load " + library);
    ASSERT_TRUE(hostCopy->Loaded("TQDAEMON.EXE"));

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
    PlaceCopy(filler);
    PlaceCopy(target);
    const std::size_t running = ListedIds().size();
    std::vector<std::unique_ptr<Started>> fillers;
    for (std::size_t count = running; count < 260; ++count)
        fillers.push_back(std::make_unique<Started>(filler));
    const auto targetCopy = StartCopy(target);
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
    ASSERT_EQ(RunAndWait("\"" + HelperPath("osprobe.exe") + "\""), sysops::OSCLASS_WIN98);
    for (const char* name : {"scmon.exe", "certmng.exe", "tqdaemon.exe"})
        ASSERT_NOBODY_RUNS(name);
    const ScratchDir scratch("procs");
    const std::string upper = scratch / "upper\\SCMON.EXE";
    const std::string lower = scratch / "lower\\scmon.exe";
    const std::string certmng = scratch / "CERTMNG.EXE";
    const std::string host = scratch / "host.exe";
    const std::string library = scratch / "TQDAEMON.EXE";
    for (const std::string& path : {upper, lower, certmng, host, library})
        PlaceCopy(path);
    const auto lowerCopy = StartCopy(lower);
    const auto upperCopy = StartCopy(upper);
    const auto certmngOne = StartCopy(certmng);
    const auto certmngTwo = StartCopy(certmng);
    const auto hostCopy = StartCopy(host, "--load " + library);
    ASSERT_TRUE(hostCopy->Loaded("TQDAEMON.EXE"));
    ASSERT_TRUE(HasModule(lowerCopy->Id(), "scmon.exe")) << "Wine no longer reports the name as loaded";

    // The version is read by the process that calls, so a child calls.
    auto kill = [](const char* name) {
        return RunAndWait("\"" + HelperPath("killbyname.exe") + "\" " + name);
    };

    // A library's name is enough.
    EXPECT_EQ(kill("tqdaemon.exe"), sysops::KILL_DONE);
    EXPECT_EQ(hostCopy->EndedWith(), kKilledStatus);

    // Whatever the case reported, every copy goes at once.
    EXPECT_EQ(kill("Scmon.Exe"), sysops::KILL_DONE);
    EXPECT_FALSE(lowerCopy->Running());
    EXPECT_FALSE(upperCopy->Running());
    EXPECT_EQ(lowerCopy->EndedWith(), kKilledStatus);
    EXPECT_EQ(upperCopy->EndedWith(), kKilledStatus);
    EXPECT_EQ(kill("scmon.exe"), sysops::KILL_NOT_FOUND);

    EXPECT_EQ(kill("certmng.exe"), sysops::KILL_DONE);
    EXPECT_EQ(certmngOne->EndedWith(), kKilledStatus);
    EXPECT_EQ(certmngTwo->EndedWith(), kKilledStatus);
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
    PlaceCopy(scratch / "neverends.exe");
    constexpr DWORD kBoundMs = 2000;
    const DWORD started = GetTickCount();
    EXPECT_EQ(SpawnAndWait(scratch.Path(), "neverends.exe", "600000", kBoundMs), sysops::SPAWN_TIMED_OUT);
    const DWORD took = GetTickCount() - started;
    EXPECT_GE(took, kBoundMs);
    EXPECT_LT(took, kBoundMs + kWaitMs);
    EXPECT_FALSE(SomeoneRuns("neverends.exe"));

    const AnsweringWindow window;
    ASSERT_NE(window.Get(), nullptr);
    const std::string handle = std::to_string(reinterpret_cast<UINT_PTR>(window.Get()));
    PostQuitMessage(3);
    EXPECT_EQ(SpawnAndWait(TestBinDir(), "idlewait.exe", ("--send " + handle).c_str(), kWaitMs), kAnswer);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

}  // namespace
