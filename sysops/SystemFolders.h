// Folders that Windows itself names, read from the system rather than from
// this process's environment, which changes with the account the program
// runs as and with its bitness.
#pragma once

#include "sysops/Registry.h"

#include <windows.h>

#include <string>

namespace sysops {

// The Windows directory shared by all users (on a terminal server, not the
// user's own copy); false, with dir emptied, when it cannot be read into 512 bytes.
bool ReadWindowsDirectory(std::string& dir);
// The system directory (system32, or system on 9x); the same on failure.
bool ReadSystemDirectory(std::string& dir);

// The REG_SZ or REG_EXPAND_SZ value `valueName` of HKLM\subKey, read in the
// view that `view` selects (view bits as from ViewBits), with each %NAME%
// replaced from this process's environment. False, with folder emptied, when
// the key or value is missing, is of another type, or does not fit 512 bytes.
bool ReadFolderValue(const char* subKey, const char* valueName, RegistryView view, std::string& folder);

}  // namespace sysops
