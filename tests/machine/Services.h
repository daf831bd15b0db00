// The machine's service manager. A false result leaves the Windows error
// code for GetLastError.
#pragma once

#include "machine/TimeOut.h"
#include "sysops/Handles.h"

#include <windows.h>

#include <chrono>
#include <string>

namespace machine {

constexpr TimeOut kServiceStateWait = std::chrono::seconds(20);

sysops::UniqueServiceHandle OpenServiceManager(DWORD access = SC_MANAGER_ALL_ACCESS);
sysops::UniqueServiceHandle OpenServiceNamed(const std::string& name, DWORD access = SERVICE_ALL_ACCESS);

// The service's status; dwCurrentState 0 when the manager does not know it.
SERVICE_STATUS_PROCESS ServiceStatus(const std::string& name);
DWORD ServiceState(const std::string& name);
bool ServiceExists(const std::string& name);
// Waits until the service reports `state` (0: until the manager has forgotten it).
bool WaitForServiceState(const std::string& name, DWORD state, TimeOut timeOut = kServiceStateWait);

// Registers an own-process service that starts on demand.
bool InstallService(const std::string& name, const std::string& commandLine);
// Starts it, with `argument` as its one start argument when given, and
// waits until it reports `expected`.
bool StartServiceAndWait(const std::string& name, DWORD expected = SERVICE_RUNNING, const char* argument = nullptr);
// Sends a control and waits until the service reports `expected`.
bool ControlServiceAndWait(const std::string& name, DWORD control, DWORD expected);
// Ends the service however it can and deletes it: a stop control, or, when
// it does not stop, ending its process if that runs the executable `image`
// (so that a stale process id never ends something else). True once the
// manager has forgotten it.
bool UninstallService(const std::string& name, const std::string& image);

}  // namespace machine
