// Ending a running program, found by the file name of its executable.
#pragma once

namespace sysops {

// Results of KillProcessByName.
enum : int {
    KILL_DONE = 0,                 // at least one copy matched; every one was ended and has gone
    KILL_TERMINATE_FAILED = 602,   // a matching copy was opened, but terminating it failed
    KILL_NOT_FOUND = 603,          // no process matched
    KILL_OPEN_FAILED = 604,        // a copy's name matched, but it cannot be opened to be ended
    KILL_NO_PSAPI = 605,           // "PSAPI.DLL" cannot be loaded
    KILL_NO_VERSION = 606,         // the Windows version cannot be read
    KILL_UNKNOWN_PLATFORM = 607,   // neither the 9x family nor NT
    KILL_BAD_NAME = 632,           // the name is empty or longer than 260 characters
    KILL_PSAPI_INCOMPLETE = 700,   // "PSAPI.DLL" lacks one of its three functions
    KILL_LIST_FAILED = 701,        // listing the processes failed (NT)
    KILL_NO_KERNEL32 = 702,        // "Kernel32.DLL" cannot be loaded
    KILL_TOOLHELP_INCOMPLETE = 703,// "Kernel32.DLL" lacks one of its Toolhelp functions
    KILL_SNAPSHOT_FAILED = 704,    // the Toolhelp list of processes cannot be taken (9x)
    KILL_STILL_RUNNING = 705,      // a copy was terminated but had not gone by the end of the wait
};

// Ends every running copy of the program whose executable is imageName
// (with its extension, any case; a library of that name loaded into some
// other program does not count), in one listing of every process: with
// several users logged on, each may run a copy of its own. Each copy is
// opened once, and its name is read and the copy ended through that one
// handle, so a process that took over the id of one that exited meanwhile
// is never ended. Returns once every copy it ended has gone, or after a few
// seconds. When copies fail, the first failure met is the result.
int KillProcessByName(const char* imageName);

// How many running processes KillProcessByName would find for imageName; 0
// also when the processes cannot be listed.
unsigned CountProcessesByName(const char* imageName);

}  // namespace sysops
