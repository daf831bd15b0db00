// Calling an export of a library the program does not own (the product's
// identity component) in a process of its own: the program starts itself
// again for the one call. A library that crashes or never returns then ends
// or stops only that process, and the run goes on.
#pragma once

#include "sysops/Result.h"

#include <string>

namespace sysops {

// The argument that makes the program make such a call and nothing else:
// "/callexport:NAME PATH", the library's full path to the end of the line.
constexpr char kCallExportSwitch[] = "/callexport:";

// In the process started for it: loads `library` by its full path (its own
// dependencies from its folder) and calls `exportName`, which takes no
// arguments. The exit status: 0 when called, else the Win32 code of the
// failure; an exception ends the process with its code, and no box is shown.
unsigned long CallExportHere(const std::string& library, const std::string& exportName);

// Starts this program with kCallExportSwitch and waits for it, taking the
// calling thread's messages, at most `boundMs`; ends it after that
// (ERROR_TIMEOUT). Done when the export was called and returned; the load's
// or look-up's error when it was not; "the component crashed" with the
// exception's code when the call raised one.
Result CallExportApart(const std::string& library, const char* exportName, unsigned long boundMs);

}  // namespace sysops
