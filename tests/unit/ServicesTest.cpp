#include "sysops/Services.h"

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
// a caller that waited for the stop cannot hide it.
constexpr DWORD kStopDelayMs = 3000;

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
    TestService(const char* name, const ScratchDir& scratch)
        : name_(name), log_(scratch / (std::string(name) + ".log"))
    {
        EXPECT_TRUE(Gone(name_));
        const std::string program = TestBinDir() + "\\" + kServiceProgram;
        EXPECT_TRUE(InstallService(name_, "\"" + program + "\" \"" + log_ + "\" " + std::to_string(kStopDelayMs)))
            << name_ << ": error " << GetLastError();
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

TEST(StopService, SendsOneStopToARunningServiceAndReturnsAtOnce)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    TestService target(kServiceA, scratch);
    TestService bystander(kServiceB, scratch);
    ASSERT_TRUE(target.Start());
    ASSERT_TRUE(bystander.Start());

    const DWORD started = GetTickCount();
    EXPECT_NE(StopService(target.Name()), 0);
    const DWORD took = GetTickCount() - started;
    // The service takes kStopDelayMs to stop; the call must not wait for it.
    EXPECT_EQ(target.State(), static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_LT(took, kStopDelayMs);

    EXPECT_TRUE(WaitForServiceState(target.Name(), SERVICE_STOPPED));
    EXPECT_EQ(target.StopControls(), 1) << ::testing::PrintToString(target.Log());
    EXPECT_TRUE(ServiceExists(target.Name()));  // stopping is not removing
    EXPECT_EQ(bystander.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(bystander.Log(), std::vector<std::string>{"start "});
}

TEST(StopService, LeavesAServiceThatIsNotRunningAlone)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    TestService paused(kServiceA, scratch);
    TestService starting(kServiceB, scratch);
    TestService stopping(kServiceC, scratch);
    ASSERT_TRUE(paused.Start());
    ASSERT_TRUE(paused.Control(SERVICE_CONTROL_PAUSE, SERVICE_PAUSED));
    // The manager passes a stop on to a paused service or a starting one
    // that accepts it, so these two show whether one was sent.
    ASSERT_TRUE(starting.Start(SERVICE_START_PENDING, "hold-start-pending"));
    // No manager passes any control to a stopping service; this one only
    // shows that nothing else (a wait, a removal) happens.
    ASSERT_TRUE(stopping.Start());
    ASSERT_TRUE(stopping.Control(kHoldStopPending, SERVICE_STOP_PENDING));

    for (const TestService* service : {&paused, &starting, &stopping}) {
        SCOPED_TRACE(service->Name());
        const DWORD before = service->State();
        const std::vector<std::string> logBefore = service->Log();
        EXPECT_NE(StopService(service->Name()), 0);
        Sleep(200);  // time for a stray control to arrive
        EXPECT_EQ(service->State(), before);
        EXPECT_EQ(service->Log(), logBefore);
        EXPECT_EQ(service->StopControls(), 0);
    }

    // Nor one that was never started.
    TestService stopped(kServiceD, scratch);
    EXPECT_NE(StopService(stopped.Name()), 0);
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

    // Both still close the manager they opened, and say so.
    EXPECT_NE(StopService(kNoService), 0);
    EXPECT_NE(RemoveService(kNoService), 0);

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

    EXPECT_NE(RemoveService(removed.Name()), 0);
    EXPECT_TRUE(WaitForServiceState(removed.Name(), 0)) << "the manager still knows it";
    const UniqueServiceHandle manager = OpenServiceManager();
    EXPECT_EQ(OpenServiceA(manager.Get(), removed.Name(), SERVICE_QUERY_STATUS), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_FALSE(KeyExists(key));
    EXPECT_TRUE(ServiceExists(bystander.Name()));
}

// What the uninstaller does on Windows 2000 and later: stop, then remove at
// once, without waiting in between. The service goes when it has stopped.
TEST(RemoveService, StopThenRemoveEndsARunningService)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    TestService service(kServiceA, scratch);
    ASSERT_TRUE(service.Start());

    EXPECT_NE(StopService(service.Name()), 0);
    EXPECT_NE(RemoveService(service.Name()), 0);

    EXPECT_TRUE(WaitForServiceState(service.Name(), 0)) << "still known, in state " << service.State();
    EXPECT_EQ(service.StopControls(), 1) << ::testing::PrintToString(service.Log());
    const std::vector<std::string> log = service.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "stopped");
}

}  // namespace
