// Where Windows and the product live on this machine, as the run found them.
#pragma once

#include <string>

namespace uninstall {

// Directories without a trailing backslash; empty when not found.
struct RunPaths {
    std::string windowsDir;
    std::string systemDir32;      // SysWOW64 on 64-bit Windows, else system32 or system
    std::string systemDir64;      // the native system32 on 64-bit Windows only
    std::string installDir;       // as found; only the guard's AcceptedTree may be acted on
    std::string programFilesDir;
};

}  // namespace uninstall
