// Whether something is there, for the record of a run and for a preview
// that must change nothing. Each answer errs towards "there": only a
// definite "does not exist" counts as absent, so that a thing the program
// may not look at (access denied) is still tried and reported.
#pragma once

#include "sysops/Registry.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sysops {

// A file or folder at `path` (as this process sees it: with file-system
// redirection as it stands).
bool PathMayExist(const std::string& path);

// A key HKLM\subKey in the view `view` selects (view bits).
bool KeyMayExist(const char* subKey, RegistryView view);

// A value of HKLM\subKey in that view.
bool ValueMayExist(const char* subKey, const char* valueName, RegistryView view);

// The name the registry itself gives the key HKLM\subKey in that view, upper
// case: the same for two views that share the key, different for two that do
// not. Where the system cannot tell (no such key, no such query), the path
// with its view. For telling whether two registry items are one.
std::string KeyIdentity(const char* subKey, RegistryView view);

// A service of that name in the local service manager.
bool ServiceMayExist(const char* serviceName);

// The names of the subkeys of HKLM\subKey in that view and its number of
// values; false when the key does not open.
bool ReadKeyContents(const char* subKey, RegistryView view, std::vector<std::string>& subkeys, unsigned long& values);

// The names of what folder `dir` holds, "." and ".." aside; false when it
// cannot be listed.
bool ReadFolderContents(const std::string& dir, std::vector<std::string>& names);

}  // namespace sysops
