// Stopping and deleting a service of the local machine.
#pragma once

#include "sysops/Result.h"

namespace sysops {

// Sends a stop control unless the service is stopped or stopping already
// (the manager passes it on to any state that accepts it: running, paused,
// starting), then waits until it reports STOPPED, at most `boundMs`, taking
// the calling thread's messages meanwhile. If it still runs then, or its
// process has not gone a few seconds after it stopped, that process, as the
// service manager names it, is ended: an executable still running keeps its
// files locked. Only a service in a process of its own is ended that way; a
// shared process runs other services too. Returns once the process has gone
// or a few seconds after it was ended. Done when the service is stopped (or
// its process was ended), and when there is nothing to stop: no service
// manager (the 9x family has none), no such service.
// ERROR_SERVICE_REQUEST_TIMEOUT when it still runs.
Result StopService(const char* serviceName, unsigned long boundMs);

// Deletes the service's registration; done also when there is no such service.
Result RemoveService(const char* serviceName);

}  // namespace sysops
