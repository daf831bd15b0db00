// Programs and the service that the sample runs on the machine.
#pragma once

#include <windows.h>

#include <string>

namespace sample {

// The folder of the running program, where the tests' helper programs,
// the sample's test components and package B's database are built.
std::string HelperDir();

// Starts `path` with no arguments, from its own folder; its process id, or
// 0 when it did not start.
DWORD StartProgram(const std::string& path);
// Whether process `pid` still runs under the image name `image`.
bool IsRunning(DWORD pid, const std::string& image);
// Ends process `pid` if it still runs under `image`, and waits for it.
void EndProgram(DWORD pid, const std::string& image);
// Runs a command line and waits at most `timeoutMs`; its exit code, or -1.
int RunAndWait(const std::string& commandLine, DWORD timeoutMs);

// Registers an own-process service that starts on demand, starts it and
// waits until it runs. False, with `error` set, when any of that fails.
bool InstallService(const std::string& name, const std::string& commandLine, std::string& error);
bool ServiceExists(const std::string& name);
// Stops the service if it runs, waits for it, and deletes it.
void RemoveService(const std::string& name);

}  // namespace sample
