// Whether the install directory the run found may be deleted as a tree and
// code loaded from it. The directory comes from a registry value anybody
// with write access to the key could have written, and folders such as
// "C:\Morvane" let ordinary users create, rename and link inside them: a
// value that names, however it is spelt, a folder of Windows, of other
// software or of users must not empty it.
#pragma once

#include "uninstall/Run.h"

#include <string>

namespace uninstall {

// True for a folder below the root of a local drive ("C:\Morvane") whose
// text is plain (no "." or ".." component, none ending in a dot or a space,
// no "\\?\", "\\.\" or "\??\" prefix, no share, no '/', no ':' past the
// drive letter, no wildcard), that is not itself a link, and that, compared
// by its canonical path component by component without regard to case and,
// on the NT family, also by what it and each folder above it are:
// - neither is, holds nor lies inside the Windows directory, a system
//   directory or the profiles directory;
// - neither is nor holds the program-files and common-files folders of
//   either bitness, the program-data, public and all-users folders, or a
//   folder that one of the environment variables naming these (or
//   USERPROFILE) names.
// Folders inside the program-files folders stay allowed: the product lives
// there. On 64-bit Windows (is64BitWindows) both registry views are read.
bool IsRemovableInstallTree(const std::string& installDir, const RunPaths& paths, bool is64BitWindows);

}  // namespace uninstall
