// Where Windows and the product live on this machine.
#pragma once

#include "uninstall/Run.h"

#include <string>
#include <vector>

namespace uninstall {

// Finds the Windows, system, program-files and install directories into
// run.paths, with their progress steps and debug boxes. False when the
// Windows directory or a system directory is missing: the error box has been
// shown (unless silent) and the run must stop.
bool DiscoverLocations(Run& run);

// The all-users program-menu folders for the given version class: the
// Hebrew-named one when it holds the product's folder, then the English
// one; none when this Windows has none the program knows.
std::vector<std::string> FindMenuDirs(const std::string& windowsDir, int osClass);

}  // namespace uninstall
