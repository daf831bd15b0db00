#include "sysops/Services.h"

#include "sysops/Handles.h"
#include "sysops/MessageWait.h"
#include "sysops/SystemLibrary.h"

namespace sysops {
namespace {

// The service's state is asked for this often while it stops.
constexpr unsigned long kPollMs = 100;
// A process has this long to be gone: after its service stopped, and again
// after it was ended.
constexpr unsigned long kExitWaitMs = 5000;
constexpr UINT kEndedExitCode = 1;

using QueryStatusExFn = BOOL(WINAPI*)(SC_HANDLE, SC_STATUS_TYPE, LPBYTE, DWORD, LPDWORD);

struct ServiceState {
    DWORD state = 0;
    DWORD processId = 0;  // 0 when not running, or where the system does not say
    bool ownProcess = false;
};

// Windows before 2000 cannot say which process runs a service; the call
// that does is looked up by name, once (advapi32 stays loaded).
bool Query(SC_HANDLE service, ServiceState& out)
{
    static const auto queryEx = LookUpLoaded<QueryStatusExFn>("advapi32.dll", "QueryServiceStatusEx");
    out = ServiceState{};
    if (queryEx == nullptr) {
        SERVICE_STATUS status = {};
        if (!QueryServiceStatus(service, &status))
            return false;
        out.state = status.dwCurrentState;
        return true;
    }
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!queryEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status, &needed))
        return false;
    out.state = status.dwCurrentState;
    out.processId = status.dwProcessId;
    out.ownProcess = (status.dwServiceType & SERVICE_WIN32_OWN_PROCESS) != 0 &&
                     (status.dwServiceType & SERVICE_WIN32_SHARE_PROCESS) == 0;
    return true;
}

// The service's own process, opened while the manager names it and asked
// about again once held: the id may have passed to another process before
// it was opened, but not after. Null when unknown, shared or gone.
UniqueKernelHandle OpenServiceProcess(SC_HANDLE service, const ServiceState& state)
{
    if (!state.ownProcess || state.processId == 0)
        return UniqueKernelHandle();
    UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, state.processId));
    ServiceState again;
    if (process && (!Query(service, again) || again.processId != state.processId))
        process.Reset();
    return process;
}

bool WaitUntilStopped(SC_HANDLE service, unsigned long boundMs)
{
    const unsigned long start = GetTickCount();
    for (;;) {
        ServiceState state;
        if (!Query(service, state))
            return false;
        if (state.state == SERVICE_STOPPED)
            return true;
        const unsigned long left = TimeLeft(start, boundMs);
        if (left == 0)
            return false;
        WaitDispatching(nullptr, left < kPollMs ? left : kPollMs);
    }
}

// Ends the service's process when the service did not stop, or when it
// stopped but its process stays.
int EndLeftProcess(HANDLE process, bool stopped)
{
    if (process == nullptr)
        return stopped ? STOP_STOPPED : STOP_STILL_RUNNING;
    if (stopped && WaitDispatching(process, kExitWaitMs))
        return STOP_STOPPED;
    // It may have gone just now, and cannot be terminated then.
    if (!TerminateProcess(process, kEndedExitCode))
        return WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ? STOP_STOPPED : STOP_STILL_RUNNING;
    return WaitDispatching(process, kExitWaitMs) ? STOP_PROCESS_ENDED : STOP_STILL_RUNNING;
}

}  // namespace

int StopService(const char* serviceName, unsigned long boundMs)
{
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return STOP_NO_MANAGER;
    UniqueServiceHandle service(OpenServiceA(manager.Get(), serviceName, SERVICE_STOP | SERVICE_QUERY_STATUS));
    ServiceState state;
    if (!service || !Query(service.Get(), state))
        return STOP_NO_SERVICE;
    const UniqueKernelHandle process = OpenServiceProcess(service.Get(), state);
    if (state.state != SERVICE_STOPPED && state.state != SERVICE_STOP_PENDING) {
        // Refused when the service accepts no stop now; the wait and the end
        // of its process still follow.
        SERVICE_STATUS ignored;
        ControlService(service.Get(), SERVICE_CONTROL_STOP, &ignored);
    }
    const bool stopped = WaitUntilStopped(service.Get(), boundMs);
    return EndLeftProcess(process.Get(), stopped);
}

int RemoveService(const char* serviceName)
{
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return 0;
    {
        UniqueServiceHandle service(OpenServiceA(manager.Get(), serviceName, SERVICE_ALL_ACCESS));
        if (service)
            DeleteService(service.Get());
    }
    return manager.Reset();
}

}  // namespace sysops
