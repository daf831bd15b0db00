// Whether the install directory the run found may be deleted as a tree. The
// directory comes from a registry value anybody could have written; a value
// such as "C:\" or "C:\Program Files" must not wipe a disk.
#pragma once

#include "uninstall/Run.h"

#include <string>

namespace uninstall {

// True for an absolute path below a drive or share root ("C:\Morvane",
// "\\server\apps\Morvane") that neither is nor holds, compared whole
// component by whole component and without regard to case, the Windows
// directory, a system directory, the program-files directory, or a folder
// named by SystemRoot, ProgramFiles, ProgramW6432, ProgramFiles(x86),
// CommonProgramFiles, ALLUSERSPROFILE, ProgramData or USERPROFILE.
bool IsRemovableInstallTree(const std::string& installDir, const RunPaths& paths);

}  // namespace uninstall
