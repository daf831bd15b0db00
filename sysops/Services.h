// Stopping and deleting a service of the local machine.
#pragma once

namespace sysops {

// Results of StopService.
enum : int {
    STOP_NO_MANAGER = 0,     // the service manager cannot be opened (the 9x family has none)
    STOP_NO_SERVICE = 1,     // no such service, or it cannot be opened to be stopped and queried
    STOP_STOPPED = 2,        // it is stopped, and the process it ran in has gone
    STOP_PROCESS_ENDED = 3,  // it did not stop in time, or its process stayed after it: the process was ended
    STOP_STILL_RUNNING = 4,  // it did not stop, and its process could not be ended
};

// Sends a stop control unless the service is stopped or stopping already
// (the manager passes it on to any state that accepts it: running, paused,
// starting), then waits until it reports STOPPED, at most `boundMs`, taking
// the calling thread's messages meanwhile. If it still runs then, or its
// process has not gone a few seconds after it stopped, that process, as the
// service manager names it, is ended: an executable still running keeps its
// files locked. Only a service in a process of its own is ended that way; a
// shared process runs other services too. Returns once the process has gone
// or a few seconds after it was ended.
int StopService(const char* serviceName, unsigned long boundMs);

// Deletes the service's registration. The result of closing the manager
// (non-zero), or 0 when the manager cannot be opened with full access.
int RemoveService(const char* serviceName);

}  // namespace sysops
