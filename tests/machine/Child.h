// The one way the tests and their tools start a program. Its owner ends the
// program, if it still runs, when the owner goes, so that nothing of a
// failed test stays behind; Detach() lets a program outlive its starter.
#pragma once

#include "machine/TimeOut.h"
#include "sysops/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace machine {

enum class StandardHandles {
    // What a child gets by default; a console program shares this one's console.
    Shared,
    // The null device for all three, and no handle of this process inherited:
    // a program that outlives its starter must not hold the pipe of a shell
    // that reads the starter's output, nor may noise reach a report.
    Discarded,
};

struct Launch {
    std::string commandLine;
    std::string directory;                 // empty: this process's current directory
    std::vector<std::string> environment;  // changes as for EnvironmentWith; empty: this process's own
    StandardHandles handles = StandardHandles::Shared;
};

class Child {
public:
    explicit Child(const Launch& launch);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // A Unix program that Wine runs gets no process handle: it counts as
    // started, but there is nothing to wait for and no exit code.
    bool Started() const { return started_; }
    // Why it did not start: the Windows error code.
    DWORD StartError() const { return startError_; }
    DWORD Id() const { return id_; }
    bool Running() const;

    // Its exit code once it has ended, waiting at most `timeOut`; -1 when it
    // did not start or still runs.
    int ExitCode(TimeOut timeOut) const;
    // Ends it with `status` if it still runs, and waits (bounded) until it has.
    void Kill(UINT status = 1);
    // Lets it run on without an owner; its process id.
    DWORD Detach();

private:
    sysops::UniqueKernelHandle process_;
    bool started_ = false;
    DWORD id_ = 0;
    DWORD startError_ = 0;
};

// `program`, quoted, then `arguments`.
std::string CommandLine(const std::string& program, const std::string& arguments = std::string());

// Starts a program and waits at most `timeOut` for it; its exit code, or -1
// when it did not start or did not end in time (it is ended then).
int RunAndWait(const Launch& launch, TimeOut timeOut);
int RunAndWait(const std::string& commandLine, TimeOut timeOut = std::chrono::seconds(60));

// Does what Windows does at a restart, as far as the tests need it: Wine's
// "wineboot -r" carries out the deletions and renames left to it. Whether
// it ran to its end.
bool RestartWindows();

}  // namespace machine
