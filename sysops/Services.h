// Stopping and deleting a service of the local machine.
#pragma once

namespace sysops {

// Sends one stop control when the service is running (a stopped, starting,
// stopping or paused one is left alone) and returns without waiting. The
// result of closing the manager (non-zero), or 0 when the manager cannot be
// opened.
int StopService(const char* serviceName);

// Deletes the service's registration. The result of closing the manager
// (non-zero), or 0 when the manager cannot be opened with full access.
int RemoveService(const char* serviceName);

}  // namespace sysops
