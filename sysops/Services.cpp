#include "sysops/Services.h"

#include "sysops/Handles.h"

namespace sysops {
namespace {

// Whether the service is running. The query handle is closed before the
// answer counts, so that the stop is asked for through a handle of its own.
bool IsRunning(SC_HANDLE manager, const char* serviceName)
{
    UniqueServiceHandle service(OpenServiceA(manager, serviceName, SERVICE_QUERY_STATUS));
    if (!service)
        return false;
    SERVICE_STATUS status = {};
    const BOOL queried = QueryServiceStatus(service.Get(), &status);
    const BOOL closed = service.Reset();
    return queried && closed && status.dwCurrentState == SERVICE_RUNNING;
}

// One stop control; whether the service then stops is its own affair.
void SendStop(SC_HANDLE manager, const char* serviceName)
{
    UniqueServiceHandle service(OpenServiceA(manager, serviceName, SERVICE_STOP));
    if (!service)
        return;
    SERVICE_STATUS status;
    ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
}

}  // namespace

int StopService(const char* serviceName)
{
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return 0;
    if (IsRunning(manager.Get(), serviceName))
        SendStop(manager.Get(), serviceName);
    return manager.Reset();
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
