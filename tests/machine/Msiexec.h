// The machine's own Windows Installer.
#pragma once

#include <string>

namespace machine {

// Runs "msiexec.exe <arguments> /qn" and waits for it, bounded: installs
// take several seconds under Wine, and a hung one must not hang the tests.
// Its exit code, or -1.
int Msiexec(const std::string& arguments);

}  // namespace machine
