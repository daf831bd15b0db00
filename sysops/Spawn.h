// Running an outside program and waiting for it.
#pragma once

#include "sysops/Result.h"

#include <string>

namespace sysops {

// Starts "dir\program" by its full path, with `arguments` after the quoted
// path on its command line, and waits
// for it at most `boundMs`, taking the calling thread's messages meanwhile:
// a program that never ends, or that waits on a window of ours, must not
// hang the run. A program still running then is ended (ERROR_TIMEOUT).
// Done when it ran to its end, whatever it returned; `exitCode` (when
// given) then holds what it returned. It runs in the system directory,
// with only the system folders on its PATH: no folder others may write is
// searched for what it loads or starts.
Result SpawnAndWait(const std::string& dir, const char* program, const char* arguments, unsigned long boundMs,
                    unsigned long* exitCode = nullptr);

}  // namespace sysops
