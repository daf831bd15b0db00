#include "sysops/Services.h"

#include "sysops/Files.h"
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
    // `program` is the test service's program (the built one by default);
    // `holdPath` a file its process keeps open.
    TestService(const char* name, const ScratchDir& scratch, const std::string& program = "",
                const std::string& holdPath = "")
        : name_(name), log_(scratch / (std::string(name) + ".log"))
    {
        RemoveLeftover(name_);
        const std::string path = program.empty() ? TestBinDir() + "\\morvsvc.exe" : program;
        std::string command = "\"" + path + "\" \"" + log_ + "\" " + std::to_string(kStopDelayMs);
        if (!holdPath.empty())
            command += " \"" + holdPath + "\"";
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

TEST(StopService, SendsOneStopToARunningServiceAndReturnsOnceStopped)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    TestService target(kServiceA, scratch);
    TestService bystander(kServiceB, scratch);
    target.Start();
    bystander.Start();

    const DWORD started = GetTickCount();
    EXPECT_EQ(StopService(target.Name(), kStopBoundMs), sysops::STOP_STOPPED);
    const DWORD took = GetTickCount() - started;
    // The service takes kStopDelayMs to stop; the call waits for it, and for
    // its process to go.
    EXPECT_EQ(target.State(), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_GE(took, kStopDelayMs - 500);
    EXPECT_LT(took, kStopBoundMs);

    EXPECT_EQ(target.StopControls(), 1) << ::testing::PrintToString(target.Log());
    EXPECT_EQ(target.Log().back(), "stopped");
    EXPECT_TRUE(IsKnown(target.Name()));  // stopping is not removing
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
    paused.Start();
    paused.Control(SERVICE_CONTROL_PAUSE, SERVICE_PAUSED);
    // The manager passes a stop on to a paused service or a starting one
    // that accepts it.
    starting.Start(SERVICE_START_PENDING, "hold-start-pending");
    for (const TestService* service : {&paused, &starting}) {
        SCOPED_TRACE(service->Name());
        EXPECT_EQ(StopService(service->Name(), kStopBoundMs), sysops::STOP_STOPPED);
        EXPECT_EQ(service->State(), static_cast<DWORD>(SERVICE_STOPPED));
        EXPECT_EQ(service->StopControls(), 1) << ::testing::PrintToString(service->Log());
    }

    // No manager passes any control to a stopping service; this one stays
    // stopping until its process is ended, once the bound is over.
    stopping.Start();
    stopping.Control(kHoldStopPending, SERVICE_STOP_PENDING);
    const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, QueryStatus(stopping.Name()).dwProcessId));
    ASSERT_TRUE(process);
    const DWORD started = GetTickCount();
    EXPECT_EQ(StopService(stopping.Name(), kHungBoundMs), sysops::STOP_PROCESS_ENDED);
    EXPECT_GE(GetTickCount() - started, kHungBoundMs);
    // Wine's manager marks only a running service stopped when its process
    // dies, so the process itself tells.
    EXPECT_EQ(WaitForSingleObject(process.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(stopping.StopControls(), 0);

    // One that was never started is left as it is.
    TestService stopped(kServiceD, scratch);
    EXPECT_EQ(StopService(stopped.Name(), kStopBoundMs), sysops::STOP_STOPPED);
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

    EXPECT_EQ(StopService(kNoService, kStopBoundMs), sysops::STOP_NO_SERVICE);
    // Removing still closes the manager it opened, and says so.
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

// What the uninstaller does on Windows 2000 and later: stop, then remove.
// The service's program lives in the install tree and holds a file there
// until its process ends; the tree can go once both calls are back.
TEST(RemoveService, StopThenRemoveEndsARunningService)
{
    ASSERT_ONE_SERVICE_MANAGER();
    const ScratchDir scratch("svc");
    const std::string installDir = scratch / "Morvane";
    const std::string program = installDir + "\\bin\\morvsvc.exe";
    MakeDirs(installDir + "\\bin");
    MakeDirs(installDir + "\\data");
    ASSERT_TRUE(CopyFileA((TestBinDir() + "\\morvsvc.exe").c_str(), program.c_str(), FALSE));
    TestService service(kServiceA, scratch, program, installDir + "\\data\\held.dat");
    service.Start();

    EXPECT_EQ(StopService(service.Name(), kStopBoundMs), sysops::STOP_STOPPED);
    EXPECT_NE(RemoveService(service.Name()), 0);

    EXPECT_NE(sysops::DeleteFileOrTree(installDir.c_str(), nullptr), 0);
    EXPECT_FALSE(PathExists(installDir));
    EXPECT_TRUE(WaitForState(service.Name(), 0)) << "still known, in state " << service.State();
    EXPECT_EQ(service.StopControls(), 1) << ::testing::PrintToString(service.Log());
    const std::vector<std::string> log = service.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "stopped");
}

}  // namespace
