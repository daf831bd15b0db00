// The stages of the uninstall run after location discovery, in the order the
// run takes them. Each makes its own progress steps and debug boxes; none
// looks at whether a removal succeeded.
#pragma once

#include "uninstall/Run.h"

#include <string>
#include <vector>

namespace uninstall {

// The product's processes or service, the middleware's processes, the two
// COM unregistrations and the identity component; then a one-second pause.
void EndProgramsAndUnregister(Run& run);

// The install tree, installer caches and the cached installer database.
void RemoveInstallTreeAndCaches(Run& run);

// The product's and the middleware's files in the system directories.
void RemoveSystemFiles(Run& run);

// Program-menu folders, the start-up shortcut and the filter driver with
// its registrations. Returns the product's menu folders it found, which name
// the product's installer folder entries.
std::vector<std::string> RemoveMenuAndDriver(Run& run);

// The registry catalogue and the Windows Installer records; menuProductDirs
// is what RemoveMenuAndDriver returned.
void RemoveRegistryEntries(Run& run, const std::vector<std::string>& menuProductDirs);

// Shared-library reference values and the middleware's registrations.
void RemoveSharedReferences(Run& run);

}  // namespace uninstall
