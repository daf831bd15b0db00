// Removing a directory tree on the NT family, where the wide calls give back
// every name exactly as it is stored, whatever the ANSI code page can hold.
#pragma once

#include "sysops/Handles.h"
#include "sysops/WideFileCalls.h"

namespace sysops {

// As DeleteFileOrTree(dir, nullptr), with the calls that LookUpWideFileCalls
// found. `dir` is ANSI text; one that does not convert is not touched.
int DeleteTreeWide(const WideFileCalls& calls, const char* dir);

// The same for a folder the caller holds already (`held`, opened as itself):
// the walk works through that handle's folder and lets go of it only to
// remove the emptied folder.
int DeleteHeldTreeWide(const WideFileCalls& calls, const char* dir, UniqueFile held);

}  // namespace sysops
