// Ends a process by image name the way the uninstaller does and reports the
// result's Windows error code (0: done) as its exit status. The tests start
// it under a prefix-wide Windows version, since the version is read in the
// calling process.
//   killbyname NAME
#include "sysops/Processes.h"

int main(int argc, char** argv)
{
    return static_cast<int>(sysops::KillProcessByName(argc > 1 ? argv[1] : "").error);
}
