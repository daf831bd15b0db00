// Where Windows and the product live on this machine.
#pragma once

#include "uninstall/Run.h"

#include <string>

namespace uninstall {

// Finds the Windows, system, program-files and install directories into
// run.paths, with their progress steps and debug boxes. False when the
// Windows directory or a system directory is missing: the error box has been
// shown (unless silent) and the run must stop.
bool DiscoverLocations(Run& run);

// The all-users program-menu folder for the given version class, or empty
// when this Windows has none the program knows.
std::string FindMenuDir(const std::string& windowsDir, int osClass);

// Registry key and value that name the install directory.
constexpr const char* kInstallDirKey = "Software\\TQM\\CardBridge\\Main";
constexpr const char* kInstallDirValue = "MorvDir";

}  // namespace uninstall
