#include "sysops/Services.h"

#include "sysops/Handles.h"
#include "sysops/MessageWait.h"
#include "sysops/SystemCalls.h"

namespace sysops {
namespace {

// The service's state is asked for this often while it stops.
constexpr unsigned long kPollMs = 100;
// A process has this long to be gone: after its service stopped, and again
// after it was ended.
constexpr unsigned long kExitWaitMs = 5000;
constexpr UINT kEndedExitCode = 1;

struct ServiceState {
    DWORD state = 0;
    DWORD processId = 0;  // 0 when not running, or where the system does not say
    bool ownProcess = false;
};

// Windows before 2000 cannot say which process runs a service.
bool Query(SC_HANDLE service, ServiceState& out)
{
    const auto queryEx = Calls().queryServiceStatusEx;
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

const Result kStillRunning = Result::Error(ERROR_SERVICE_REQUEST_TIMEOUT);

// Ends the service's process when the service did not stop, or when it
// stopped but its process stays.
Result EndLeftProcess(HANDLE process, bool stopped)
{
    if (process == nullptr)
        return stopped ? Result::Ok() : kStillRunning;
    if (stopped && WaitDispatching(process, kExitWaitMs))
        return Result::Ok();
    // It may have gone just now, and cannot be terminated then.
    if (!TerminateProcess(process, kEndedExitCode))
        return WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ? Result::Ok() : kStillRunning;
    return WaitDispatching(process, kExitWaitMs) ? Result::Ok() : kStillRunning;
}

}  // namespace

Result StopService(const char* serviceName, unsigned long boundMs)
{
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? Result::Ok() : Result::LastError();
    UniqueServiceHandle service(OpenServiceA(manager.Get(), serviceName, SERVICE_STOP | SERVICE_QUERY_STATUS));
    if (!service)
        return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? Result::Ok() : Result::LastError();
    ServiceState state;
    if (!Query(service.Get(), state))
        return Result::LastError();
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

Result RemoveService(const char* serviceName)
{
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? Result::Ok() : Result::LastError();
    UniqueServiceHandle service(OpenServiceA(manager.Get(), serviceName, DELETE));
    if (!service)
        return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? Result::Ok() : Result::LastError();
    // A service already marked for deletion goes once its last handle closes.
    if (!DeleteService(service.Get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE)
        return Result::LastError();
    return Result::Ok();
}

}  // namespace sysops
