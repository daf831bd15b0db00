#include "sysops/Services.h"

#include "sysops/Handles.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace testing_support;
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

constexpr DWORD kStateTimeoutMs = 15000;
// How long a stopping test service stays in STOP_PENDING: long enough that
// a caller that waited for the stop cannot hide it.
constexpr DWORD kStopDelayMs = 3000;

constexpr char kStopLine[] = "control 1";
// The test service's own control that keeps it stop pending.
constexpr DWORD kHoldStopPending = 128;

// A prefix can end up with two service managers (services.exe started
// twice), each with its own list; calls then reach either at random.
std::size_t ServiceManagers()
{
    std::size_t count = 0;
    const HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(processes, &entry); more; more = Process32Next(processes, &entry))
        count += lstrcmpiA(entry.szExeFile, "services.exe") == 0;
    CloseHandle(processes);
    return count;
}

#define ASSERT_ONE_SERVICE_MANAGER() \
    ASSERT_EQ(ServiceManagers(), 1u) << "this Wine machine runs more than one services.exe; restart its wineserver"

UniqueServiceHandle OpenManager()
{
    return UniqueServiceHandle(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

UniqueServiceHandle OpenTestService(const char* name, DWORD access = SERVICE_ALL_ACCESS)
{
    const UniqueServiceHandle manager = OpenManager();
    return UniqueServiceHandle(manager ? OpenServiceA(manager.Get(), name, access) : nullptr);
}

// The service's status; dwCurrentState 0 when the manager does not know it.
SERVICE_STATUS_PROCESS QueryStatus(const char* name)
{
    SERVICE_STATUS_PROCESS status = {};
    const UniqueServiceHandle service = OpenTestService(name, SERVICE_QUERY_STATUS);
    DWORD needed = 0;
    if (!service ||
        !QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof status, &needed))
        status.dwCurrentState = 0;
    return status;
}

DWORD StateOf(const char* name)
{
    return QueryStatus(name).dwCurrentState;
}

// Waits (bounded) until the service reports `state` (0: until it is gone).
bool WaitForState(const char* name, DWORD state, DWORD timeoutMs = kStateTimeoutMs)
{
    for (DWORD waited = 0;; waited += 50) {
        if (StateOf(name) == state)
            return true;
        if (waited >= timeoutMs)
            return false;
        Sleep(50);
    }
}

bool IsKnown(const char* name)
{
    return OpenTestService(name, SERVICE_QUERY_STATUS).IsValid();
}

// Whether the process runs our test service's program, so that a stale
// process id never makes the clean-up end something else.
bool RunsTestService(DWORD processId)
{
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    char path[MAX_PATH] = {};
    DWORD size = sizeof path;
    if (!process || !QueryFullProcessImageNameA(process.Get(), 0, path, &size))
        return false;
    const std::string image(path, size);
    return lstrcmpiA(image.substr(image.find_last_of('\\') + 1).c_str(), "morvsvc.exe") == 0;
}

void KillTestServiceProcess(DWORD processId)
{
    if (!RunsTestService(processId))
        return;
    const UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (process && TerminateProcess(process.Get(), 1))
        WaitForSingleObject(process.Get(), 5000);
}

// Ends the service however it can (a stop control, or killing its process
// when it does not take controls) and deletes it; waits until it is gone.
void RemoveLeftover(const char* name)
{
    {
        const UniqueServiceHandle service = OpenTestService(name);
        if (!service)
            return;
        const SERVICE_STATUS_PROCESS status = QueryStatus(name);
        if (status.dwCurrentState != SERVICE_STOPPED) {
            SERVICE_STATUS ignored;
            if (!ControlService(service.Get(), SERVICE_CONTROL_STOP, &ignored) ||
                !WaitForState(name, SERVICE_STOPPED, 5000)) {
                KillTestServiceProcess(status.dwProcessId);
                WaitForState(name, SERVICE_STOPPED, 5000);
            }
        }
        DeleteService(service.Get());
    }
    EXPECT_TRUE(WaitForState(name, 0)) << name << " is still registered";
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A test service of our own, registered in the machine's service manager
// (own process, demand start) and removed again when the object goes.
class TestService {
public:
    TestService(const char* name, const ScratchDir& scratch)
        : name_(name), log_(scratch / (std::string(name) + ".log"))
    {
        RemoveLeftover(name_);
        const std::string command = "\"" + TestBinDir() + "\\morvsvc.exe\" \"" + log_ + "\" " +
                                    std::to_string(kStopDelayMs);
        const UniqueServiceHandle manager = OpenManager();
        const UniqueServiceHandle service(CreateServiceA(manager.Get(), name_, name_, SERVICE_ALL_ACCESS,
                                                   SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                                   SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr,
                                                   nullptr, nullptr, nullptr));
        EXPECT_TRUE(service) << name_ << ": error " << GetLastError();
    }
    ~TestService() { RemoveLeftover(name_); }
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;

    // Starts it and waits until it reports `expected`.
    void Start(DWORD expected = SERVICE_RUNNING, const char* hold = nullptr)
    {
        {
            const UniqueServiceHandle service = OpenTestService(name_, SERVICE_START);
            const char* arguments[] = {hold};
            ASSERT_TRUE(StartServiceA(service.Get(), hold ? 1 : 0, hold ? arguments : nullptr))
                << name_ << ": error " << GetLastError();
        }
        ASSERT_TRUE(WaitForState(name_, expected)) << name_ << " stays in state " << StateOf(name_);
    }

    // Sends a control as an administrator would.
    void Control(DWORD control, DWORD expected)
    {
        {
            const UniqueServiceHandle service = OpenTestService(name_);
            SERVICE_STATUS status;
            ASSERT_TRUE(ControlService(service.Get(), control, &status)) << name_ << ": error " << GetLastError();
        }
        ASSERT_TRUE(WaitForState(name_, expected)) << name_ << " stays in state " << StateOf(name_);
    }

    const char* Name() const { return name_; }
    DWORD State() const { return StateOf(name_); }
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
    target.Start();
    bystander.Start();

    const DWORD started = GetTickCount();
    EXPECT_NE(StopService(target.Name()), 0);
    const DWORD took = GetTickCount() - started;
    // The service takes kStopDelayMs to stop; the call must not wait for it.
    EXPECT_EQ(target.State(), static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_LT(took, kStopDelayMs);

    EXPECT_TRUE(WaitForState(target.Name(), SERVICE_STOPPED));
    EXPECT_EQ(target.StopControls(), 1) << ::testing::PrintToString(target.Log());
    EXPECT_TRUE(IsKnown(target.Name()));  // stopping is not removing
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
    paused.Start();
    paused.Control(SERVICE_CONTROL_PAUSE, SERVICE_PAUSED);
    // The manager passes a stop on to a paused service or a starting one
    // that accepts it, so these two show whether one was sent.
    starting.Start(SERVICE_START_PENDING, "hold-start-pending");
    // No manager passes any control to a stopping service; this one only
    // shows that nothing else (a wait, a removal) happens.
    stopping.Start();
    stopping.Control(kHoldStopPending, SERVICE_STOP_PENDING);

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
    const UniqueServiceHandle manager = OpenManager();
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
    RemoveLeftover(kNoService);
    const std::map<std::string, DWORD> before = AllServices();
    ASSERT_FALSE(before.empty());

    // Both still close the manager they opened, and say so.
    EXPECT_NE(StopService(kNoService), 0);
    EXPECT_NE(RemoveService(kNoService), 0);

    EXPECT_EQ(AllServices(), before);
    const UniqueServiceHandle manager = OpenManager();
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
    ASSERT_TRUE(RegKeyExists(key));

    EXPECT_NE(RemoveService(removed.Name()), 0);
    EXPECT_TRUE(WaitForState(removed.Name(), 0)) << "the manager still knows it";
    const UniqueServiceHandle manager = OpenManager();
    EXPECT_EQ(OpenServiceA(manager.Get(), removed.Name(), SERVICE_QUERY_STATUS), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_FALSE(RegKeyExists(key));
    EXPECT_TRUE(IsKnown(bystander.Name()));
}

// What the uninstaller does on Windows 2000 and later: stop, then remove at
// once, without waiting in between. The service goes when it has stopped.
TEST(RemoveService, StopThenRemoveEndsARunningService)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    TestService service(kServiceA, scratch);
    service.Start();

    EXPECT_NE(StopService(service.Name()), 0);
    EXPECT_NE(RemoveService(service.Name()), 0);

    EXPECT_TRUE(WaitForState(service.Name(), 0)) << "still known, in state " << service.State();
    EXPECT_EQ(service.StopControls(), 1) << ::testing::PrintToString(service.Log());
    const std::vector<std::string> log = service.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "stopped");
}

}  // namespace
