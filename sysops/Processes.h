// Ending a running program, found by the file name of its executable.
#pragma once

#include "sysops/Result.h"

namespace sysops {

// Ends every running copy of the program whose executable is imageName
// (with its extension, any case; a library of that name loaded into some
// other program does not count), in one listing of every process: with
// several users logged on, each may run a copy of its own. Each copy is
// opened once, and its name is read and the copy ended through that one
// handle, so a process that took over the id of one that exited meanwhile
// is never ended. Returns once every copy it ended has gone, or after a few
// seconds (ERROR_TIMEOUT). Done also when no copy runs; when copies fail,
// the first failure met: a copy that could not be opened or ended, the
// processes not listed (ERROR_MOD_NOT_FOUND without PSAPI.DLL on NT,
// ERROR_PROC_NOT_FOUND without its calls or Toolhelp's), ERROR_INVALID_NAME
// for an empty name or one longer than 260 characters.
Result KillProcessByName(const char* imageName);

// How many running processes KillProcessByName would end for imageName; 0
// also when the processes cannot be listed.
unsigned CountProcessesByName(const char* imageName);

}  // namespace sysops
