// The walks over the catalogue's file lists and shared-library references.
#pragma once

#include "uninstall/Catalogue.h"
#include "uninstall/Run.h"

namespace uninstall {

// Deletes every file of `list` from its base directory, then makes the
// list's steps. Touches nothing, and makes no step, when the list does not
// apply on this machine or its base is unknown.
void DeleteFiles(Run& run, const FileList& list);

// Removes the reference value of every file of `list`, then makes the
// list's steps. Touches nothing, and makes no step, when the list does not
// apply on this machine or its base is unknown; references below an install
// directory the guard refused are recorded as kept.
void DeleteSharedRefs(Run& run, const RefList& list);

}  // namespace uninstall
