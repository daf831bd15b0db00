// What the record of a run says about the machine and the moment.
#pragma once

#include <string>

namespace sysops {

// The calling thread's last Win32 error code.
unsigned long LastError();

// The system's text for a Win32 error code, on one line; "unknown error"
// when the system has none.
std::string ErrorText(unsigned long code);

// This computer's NetBIOS name; empty when it cannot be read.
std::string ComputerName();

// The local date and time, "2026-12-08 23:59:01".
std::string LocalTimestamp();

// The user's temporary folder without a trailing backslash (for SYSTEM the
// Windows temporary folder); empty when it cannot be read.
std::string TempDirectory();

// The full path of the running program; empty when it cannot be read.
std::string ProgramPath();

// Milliseconds since the system started, wrapping after about 49 days.
unsigned long Milliseconds();

}  // namespace sysops
