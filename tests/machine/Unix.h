// What only Wine offers a test: the Unix side of the machine. Wine cannot
// make links through Windows calls, but shows a Unix symbolic link to a
// folder as a link; its debug channels show every path a program reaches.
#pragma once

#include "machine/TimeOut.h"

#include <string>

namespace machine {

bool IsWine();

// The Unix path Wine gives a Windows path; empty when there is none.
std::string UnixPath(const std::string& windowsPath);

// The Wine machine's "dosdevices" folder, as a Windows path (through Z:);
// empty when it cannot be told.
std::string DosDevicesDir();

// Runs a Unix program of /bin in `dir`; whether it started. Wine reports it
// ended before it has run: wait for what it makes.
bool RunUnix(const std::string& dir, const std::string& arguments, const char* program);

// Waits, bounded, until `path` exists or not.
bool WaitForPath(const std::string& path, bool present);

// "dir\name" as a Unix symbolic link to `target` (relative to dir, or a
// Unix path); whether it is there afterwards. RemoveUnixLink takes it away.
bool MakeUnixLink(const std::string& dir, const char* name, const std::string& target);
void RemoveUnixLink(const std::string& dir, const char* name);

// Runs the Windows program `program` with `arguments` (words split at
// blanks) in this Wine machine
// with the file channel traced into `traceFile` (a Windows path), and waits
// at most `timeOut`: the low byte of its exit status (all a Unix shell
// tells), or -1.
int RunWithFileTrace(const std::string& program, const std::string& arguments, const std::string& traceFile,
                     TimeOut timeOut);

}  // namespace machine
