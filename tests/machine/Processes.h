// The machine's processes, as a Toolhelp walk lists them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace machine {

struct ProcessEntry {
    DWORD id;
    std::string image;  // the executable's file name; 98 and Me list a full path, it is cut off
};

// Every process, in the order the walk gives them.
std::vector<ProcessEntry> RunningProcesses();
// How many processes run the executable `image` (any case).
std::size_t CountRunning(const char* image);
// Whether process `pid` still runs under the image name `image`, so that a
// process id the system has given out again never counts.
bool IsRunning(DWORD pid, const std::string& image);
// Ends process `pid` with `status` if it still runs under `image`, and
// waits (bounded) until it has.
void EndProcess(DWORD pid, const std::string& image, UINT status = 1);
// Ends every process of the executable `image`.
void EndAll(const char* image, UINT status = 1);
// Whether the process has a module of exactly this name, as Toolhelp reports it.
bool HasModule(DWORD pid, const std::string& name);

}  // namespace machine
