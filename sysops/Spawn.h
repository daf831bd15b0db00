// Running an outside program and waiting for it.
#pragma once

#include <string>

namespace sysops {

// What SpawnAndWait returns when the program did not give its own exit code.
enum : int {
    SPAWN_FAILED = -1,     // it could not be started (or its path does not fit the program's buffers)
    SPAWN_TIMED_OUT = -2,  // it was still running at the end of the bound and was ended
};

// Starts "dir\program" by its full path, with `arguments` after the quoted
// path on its command line and `dir` as its current directory, and waits
// for it at most `boundMs`, taking the calling thread's messages meanwhile:
// a program that never ends, or that waits on a window of ours, must not
// hang the run. A program still running then is ended. Its exit code, or
// one of the results above.
int SpawnAndWait(const std::string& dir, const char* program, const char* arguments, unsigned long boundMs);

}  // namespace sysops
