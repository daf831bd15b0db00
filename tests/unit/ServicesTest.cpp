#include "sysops/Services.h"

#include "sysops/Files.h"
#include "machine/Files.h"
#include "machine/Paths.h"
#include "machine/Processes.h"
#include "machine/Registry.h"
#include "machine/Services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace machine;
using sysops::RemoveService;
using sysops::StopService;
using sysops::UniqueKernelHandle;
using sysops::UniqueServiceHandle;

namespace {

// Names no other service has; every test removes them before and after.
constexpr char kServiceA[] = "MorvTestSvcA";
constexpr char kServiceB[] = "MorvTestSvcB";
constexpr char kServiceC[] = "MorvTestSvcC";
constexpr char kServiceD[] = "MorvTestSvcD";
constexpr char kNoService[] = "MorvTestSvcMissing";
constexpr char kServiceProgram[] = "morvsvc.exe";

// How long a stopping test service stays in STOP_PENDING: long enough that
// a caller that did not wait for the stop cannot hide it.
constexpr DWORD kStopDelayMs = 3000;
// What the tests give a service to stop: well above kStopDelayMs, far below
// the uninstaller's own bound.
constexpr DWORD kStopBoundMs = 10000;
// ...and a service that never stops, before its process is ended.
constexpr DWORD kHungBoundMs = 2000;

constexpr char kStopLine[] = "control 1";
// The test service's own control that keeps it stop pending.
constexpr DWORD kHoldStopPending = 128;

// A prefix can end up with two service managers (services.exe started
// twice), each with its own list; calls then reach either at random.
#define ASSERT_ONE_SERVICE_MANAGER() \
    ASSERT_EQ(CountRunning("services.exe"), 1u) \
        << "this Wine machine runs more than one services.exe; restart its wineserver"

::testing::AssertionResult Gone(const char* name)
{
    if (UninstallService(name, kServiceProgram))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << name << " is still registered, in state " << ServiceState(name);
}

// Reached `state`, or why not.
::testing::AssertionResult Reached(bool reached, const char* name)
{
    if (reached)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << name << " stays in state " << ServiceState(name) << " (error "
                                         << GetLastError() << ")";
}

// A test service of our own, registered in the machine's service manager
// (own process, demand start) and removed again when the object goes.
class TestService {
public:
    // `program` is the test service's program (the built one by default);
    // `holdPath` a file its process keeps open.
    TestService(const char* name, const ScratchDir& scratch, const std::string& program = "",
                const std::string& holdPath = "")
        : name_(name), log_(scratch / (std::string(name) + ".log"))
    {
        EXPECT_TRUE(Gone(name_));
        const std::string path = program.empty() ? TestBinDir() + "\\" + kServiceProgram : program;
        std::string command = "\"" + path + "\" \"" + log_ + "\" " + std::to_string(kStopDelayMs);
        if (!holdPath.empty())
            command += " \"" + holdPath + "\"";
        EXPECT_TRUE(InstallService(name_, command)) << name_ << ": error " << GetLastError();
    }
    ~TestService() { EXPECT_TRUE(Gone(name_)); }
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;

    // Starts it and waits until it reports `expected`.
    [[nodiscard]] ::testing::AssertionResult Start(DWORD expected = SERVICE_RUNNING, const char* hold = nullptr)
    {
        const bool reached = StartServiceAndWait(name_, expected, hold);
        return Reached(reached, name_);
    }

    // Sends a control as an administrator would.
    [[nodiscard]] ::testing::AssertionResult Control(DWORD control, DWORD expected)
    {
        const bool reached = ControlServiceAndWait(name_, control, expected);
        return Reached(reached, name_);
    }

    const char* Name() const { return name_; }
    DWORD State() const { return ServiceState(name_); }
    std::vector<std::string> Log() const { return ReadLines(log_); }
    long StopControls() const
    {
        const std::vector<std::string> lines = Log();
        return std::count(lines.begin(), lines.end(), std::string(kStopLine));
    }

private:
    const char* name_;
    std::string log_;
};

TEST(StopService, SendsOneStopToARunningServiceAndReturnsOnceStopped)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    TestService target(kServiceA, scratch);
    TestService bystander(kServiceB, scratch);
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(bystander.Start());

    const DWORD started = GetTickCount();
    EXPECT_TRUE(StopService(target.Name(), kStopBoundMs).Done());
    const DWORD took = GetTickCount() - started;
    // The service takes kStopDelayMs to stop; the call waits for it, and for
    // its process to go.
    EXPECT_EQ(target.State(), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_GE(took, kStopDelayMs - 500);
    EXPECT_LT(took, kStopBoundMs);

    EXPECT_EQ(target.StopControls(), 1) << ::testing::PrintToString(target.Log());
    EXPECT_EQ(target.Log().back(), "stopped");
    EXPECT_TRUE(ServiceExists(target.Name()));  // stopping is not removing
    EXPECT_EQ(bystander.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(bystander.Log(), std::vector<std::string>{"start "});
}

TEST(StopService, StopsEveryStateThatTakesAStopAndEndsAServiceThatHangs)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    TestService paused(kServiceA, scratch);
    TestService starting(kServiceB, scratch);
    TestService stopping(kServiceC, scratch);
    ASSERT_TRUE(paused.Start());
    ASSERT_TRUE(paused.Control(SERVICE_CONTROL_PAUSE, SERVICE_PAUSED));
    // The manager passes a stop on to a paused service or a starting one
    // that accepts it.
    ASSERT_TRUE(starting.Start(SERVICE_START_PENDING, "hold-start-pending"));
    for (const TestService* service : {&paused, &starting}) {
        SCOPED_TRACE(service->Name());
        EXPECT_TRUE(StopService(service->Name(), kStopBoundMs).Done());
        EXPECT_EQ(service->State(), static_cast<DWORD>(SERVICE_STOPPED));
        EXPECT_EQ(service->StopControls(), 1) << ::testing::PrintToString(service->Log());
    }

    // No manager passes any control to a stopping service; this one stays
    // stopping until its process is ended, once the bound is over.
    ASSERT_TRUE(stopping.Start());
    ASSERT_TRUE(stopping.Control(kHoldStopPending, SERVICE_STOP_PENDING));
    const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, ServiceStatus(stopping.Name()).dwProcessId));
    ASSERT_TRUE(process);
    const DWORD started = GetTickCount();
    EXPECT_TRUE(StopService(stopping.Name(), kHungBoundMs).Done());
    EXPECT_GE(GetTickCount() - started, kHungBoundMs);
    // Wine's manager marks only a running service stopped when its process
    // dies, so the process itself tells.
    EXPECT_EQ(WaitForSingleObject(process.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(stopping.StopControls(), 0);

    // One that was never started is left as it is.
    TestService stopped(kServiceD, scratch);
    EXPECT_TRUE(StopService(stopped.Name(), kStopBoundMs).Done());
    EXPECT_EQ(stopped.State(), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_TRUE(stopped.Log().empty());
}

// Every service the manager knows, with its state.
std::map<std::string, DWORD> AllServices()
{
    std::map<std::string, DWORD> services;
    const UniqueServiceHandle manager = OpenServiceManager();
    std::vector<BYTE> buffer(256 * 1024);
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    EXPECT_TRUE(EnumServicesStatusA(manager.Get(), SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL,
                                    reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data()),
                                    static_cast<DWORD>(buffer.size()), &needed, &count, &resume))
        << "error " << GetLastError();
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        services[entries[i].lpServiceName] = entries[i].ServiceStatus.dwCurrentState;
    return services;
}

TEST(Services, AServiceThatIsNotInstalledChangesNothing)
{
    ASSERT_ONE_SERVICE_MANAGER();
    ASSERT_TRUE(Gone(kNoService));
    const std::map<std::string, DWORD> before = AllServices();
    ASSERT_FALSE(before.empty());

    EXPECT_TRUE(StopService(kNoService, kStopBoundMs).Done());
    // Nothing to remove is nothing that failed.
    EXPECT_TRUE(RemoveService(kNoService).Done());

    EXPECT_EQ(AllServices(), before);
    const UniqueServiceHandle manager = OpenServiceManager();
    EXPECT_EQ(OpenServiceA(manager.Get(), kNoService, SERVICE_QUERY_STATUS), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
}

TEST(RemoveService, DeletesTheRegistration)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    TestService removed(kServiceA, scratch);
    TestService bystander(kServiceB, scratch);
    const std::string key = "System\\CurrentControlSet\\Services\\" + std::string(removed.Name());
    ASSERT_TRUE(KeyExists(key));

    EXPECT_TRUE(RemoveService(removed.Name()).Done());
    EXPECT_TRUE(WaitForServiceState(removed.Name(), 0)) << "the manager still knows it";
    const UniqueServiceHandle manager = OpenServiceManager();
    EXPECT_EQ(OpenServiceA(manager.Get(), removed.Name(), SERVICE_QUERY_STATUS), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_FALSE(KeyExists(key));
    EXPECT_TRUE(ServiceExists(bystander.Name()));
}

// What the uninstaller does on Windows 2000 and later: stop, then remove.
// The service's program lives in the install tree and holds a file there
// until its process ends; the tree can go once both calls are back.
TEST(RemoveService, StopThenRemoveEndsARunningService)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    const std::string installDir = scratch / "Morvane";
    const std::string program = installDir + "\\bin\\" + kServiceProgram;
    ASSERT_TRUE(MakeDirs(installDir + "\\data"));
    ASSERT_TRUE(CopyInto(TestBinDir() + "\\" + kServiceProgram, program));
    TestService service(kServiceA, scratch, program, installDir + "\\data\\held.dat");
    ASSERT_TRUE(service.Start());

    EXPECT_TRUE(StopService(service.Name(), kStopBoundMs).Done());
    EXPECT_TRUE(RemoveService(service.Name()).Done());

    EXPECT_TRUE(sysops::DeleteFileOrTree(installDir.c_str(), nullptr).Done());
    EXPECT_FALSE(Exists(installDir));

    EXPECT_TRUE(WaitForServiceState(service.Name(), 0)) << "still known, in state " << service.State();
    EXPECT_EQ(service.StopControls(), 1) << ::testing::PrintToString(service.Log());
    const std::vector<std::string> log = service.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "stopped");
}

}  // namespace
