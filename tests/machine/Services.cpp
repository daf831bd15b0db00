#include "machine/Services.h"

#include "machine/Processes.h"

namespace machine {
namespace {

using sysops::UniqueServiceHandle;

constexpr TimeOut kStopWait = std::chrono::seconds(5);

// Stops a service that runs; when it does not stop in time, ends its process.
void EndService(SC_HANDLE service, const std::string& name, const std::string& image)
{
    const SERVICE_STATUS_PROCESS status = ServiceStatus(name);
    if (status.dwCurrentState == 0 || status.dwCurrentState == SERVICE_STOPPED)
        return;
    SERVICE_STATUS ignored;
    if (ControlService(service, SERVICE_CONTROL_STOP, &ignored) && WaitForServiceState(name, SERVICE_STOPPED, kStopWait))
        return;
    EndProcess(status.dwProcessId, image);
    WaitForServiceState(name, SERVICE_STOPPED, kStopWait);
}

}  // namespace

UniqueServiceHandle OpenServiceManager(DWORD access)
{
    return UniqueServiceHandle(OpenSCManagerA(nullptr, nullptr, access));
}

UniqueServiceHandle OpenServiceNamed(const std::string& name, DWORD access)
{
    const UniqueServiceHandle manager = OpenServiceManager(SC_MANAGER_CONNECT);
    return UniqueServiceHandle(manager ? OpenServiceA(manager.Get(), name.c_str(), access) : nullptr);
}

SERVICE_STATUS_PROCESS ServiceStatus(const std::string& name)
{
    SERVICE_STATUS_PROCESS status = {};
    const UniqueServiceHandle service = OpenServiceNamed(name, SERVICE_QUERY_STATUS);
    DWORD needed = 0;
    if (!service || !QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                          sizeof status, &needed))
        status.dwCurrentState = 0;
    return status;
}

DWORD ServiceState(const std::string& name) { return ServiceStatus(name).dwCurrentState; }

bool ServiceExists(const std::string& name) { return OpenServiceNamed(name, SERVICE_QUERY_STATUS).IsValid(); }

bool WaitForServiceState(const std::string& name, DWORD state, TimeOut timeOut)
{
    return PollUntil(timeOut, [&] { return ServiceState(name) == state; });
}

bool InstallService(const std::string& name, const std::string& commandLine)
{
    const UniqueServiceHandle manager = OpenServiceManager();
    const UniqueServiceHandle service(manager ? CreateServiceA(manager.Get(), name.c_str(), name.c_str(),
                                                               SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                                               SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                                               commandLine.c_str(), nullptr, nullptr, nullptr,
                                                               nullptr, nullptr)
                                              : nullptr);
    return service.IsValid();
}

bool StartServiceAndWait(const std::string& name, DWORD expected, const char* argument)
{
    {
        const UniqueServiceHandle service = OpenServiceNamed(name, SERVICE_START);
        const char* arguments[] = {argument};
        if (!service || !StartServiceA(service.Get(), argument ? 1 : 0, argument ? arguments : nullptr))
            return false;
    }
    return WaitForServiceState(name, expected);
}

bool ControlServiceAndWait(const std::string& name, DWORD control, DWORD expected)
{
    {
        const UniqueServiceHandle service = OpenServiceNamed(name);
        SERVICE_STATUS status;
        if (!service || !ControlService(service.Get(), control, &status))
            return false;
    }
    return WaitForServiceState(name, expected);
}

bool UninstallService(const std::string& name, const std::string& image)
{
    {
        const UniqueServiceHandle service = OpenServiceNamed(name);
        if (!service)
            return !ServiceExists(name);
        EndService(service.Get(), name, image);
        DeleteService(service.Get());
    }
    return WaitForServiceState(name, 0);
}

}  // namespace machine
