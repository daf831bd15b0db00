// Ending a running program, found by the file name of its executable.
#pragma once

namespace sysops {

// Results of KillProcessByName.
enum : int {
    KILL_DONE = 0,                 // a matching process was found and terminated
    KILL_TERMINATE_FAILED = 602,   // found and opened, but terminating it failed
    KILL_NOT_FOUND = 603,          // no process matched (or, 9x, the first entry cannot be read)
    KILL_OPEN_FAILED = 604,        // found, but it cannot be opened for termination
    KILL_NO_PSAPI = 605,           // "PSAPI.DLL" cannot be loaded
    KILL_NO_VERSION = 606,         // the Windows version cannot be read
    KILL_UNKNOWN_PLATFORM = 607,   // neither the 9x family nor NT
    KILL_BAD_NAME = 632,           // the name is empty or longer than 260 characters
    KILL_PSAPI_INCOMPLETE = 700,   // "PSAPI.DLL" lacks one of its three functions
    KILL_LIST_FAILED = 701,        // listing the processes failed (NT)
    KILL_NO_KERNEL32 = 702,        // "Kernel32.DLL" cannot be loaded
    KILL_TOOLHELP_INCOMPLETE = 703,// "Kernel32.DLL" lacks one of its Toolhelp functions
    KILL_SNAPSHOT_FAILED = 704,    // a Toolhelp snapshot cannot be taken
};

// Ends the first running process whose executable is imageName (with its
// extension, any case) and returns at once, without waiting for it to end.
// Every process is searched.
int KillProcessByName(const char* imageName);

// How many running processes KillProcessByName would find for imageName; 0
// also when the processes cannot be listed.
unsigned CountProcessesByName(const char* imageName);

}  // namespace sysops
