// Symbolic links in the registry: telling one apart and deleting the link
// itself. Windows deletes what a link points to when the link is opened or
// deleted by name, so a link is only ever handled through a handle that was
// opened as the link.
#pragma once

#include "sysops/Handles.h"
#include "sysops/Result.h"

#include <windows.h>

namespace sysops {

// Whether this Windows has registry links at all. The 9x family has none,
// and its RegOpenKeyExA takes no options.
bool RegistryLinksExist();

// Whether HKLM\path, opened as the link it may be, is a symbolic link (it
// holds a REG_LINK value "SymbolicLinkValue"). When it is, `link` holds it,
// with the right to delete it where that is granted.
bool OpenIfLink(const char* path, REGSAM view, UniqueRegKey& link);

// Deletes the key `key` was opened as (opened as a link: the link, not its
// target), which must have no subkeys left; ERROR_CALL_NOT_IMPLEMENTED where
// the system offers no way to.
Result DeleteOpenedKey(HKEY key);

}  // namespace sysops
