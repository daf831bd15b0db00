// Removing registry keys and values under HKEY_LOCAL_MACHINE, in either
// registry view.
#pragma once

#include "sysops/Handles.h"

#include <windows.h>

namespace sysops {

// The access-mask bits that select a view: on 64-bit Windows the 64-bit view
// (KEY_WOW64_64KEY) for a non-zero view64 and the 32-bit view
// (KEY_WOW64_32KEY) for 0; on 32-bit Windows none.
constexpr REGSAM ViewBits(bool is64BitWindows, int view64)
{
    return !is64BitWindows ? 0 : view64 != 0 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

// The same for the running Windows, asked anew at each call.
REGSAM RegistryViewBits(int view64);

// How the last key of a path is opened when it is a symbolic link. A path
// the program names is reached through links, as Windows' own
// (CurrentControlSet) must be; a key the program came upon inside a tree or
// a listing is taken as it is, since a link there may lead anywhere.
enum class KeyLinks {
    Follow,
    AsLink,
};

// Opens HKLM\subKey with `access` (view bits included); the Win32 code.
// On failure `key` holds nothing.
LONG OpenKey(const char* subKey, REGSAM access, UniqueRegKey& key, KeyLinks links = KeyLinks::Follow);

// A key tree gives up on a key that still has subkeys after this many of
// them went (one that gains them as fast as they go), and on keys nested
// deeper than Windows allows.
constexpr unsigned long kMaxSubkeysOfOneKey = 100000;
constexpr int kMaxKeyDepth = 512;

// With a value name: deletes that value of HKLM\subKey and returns 0, also
// when the key or the value is missing. Without (null): deletes subKey and
// its whole subtree, deepest keys first, and returns a Win32 code: 0 when the
// key is gone, otherwise the code of the step that stopped (2 for a missing
// key; the first failing child stops the whole deletion;
// ERROR_NOT_ENOUGH_QUOTA past `bound` subkeys of one key or kMaxKeyDepth
// levels). The path up to subKey is followed through links; subKey itself,
// and every key below it, is opened as itself, each relative to its
// parent's handle, so that a symbolic link is deleted as the link and what
// it points to is never entered, and nothing renamed meanwhile can lead the
// walk elsewhere. Each emptied key is deleted through its own handle.
LONG DeleteRegistryItem(const char* subKey, const char* valueName, int view64,
                        unsigned long bound = kMaxSubkeysOfOneKey);

// 1 when HKLM\subKey opens and holds no subkeys and no values, else 0.
int IsRegistryKeyEmpty(const char* subKey, int view64);

}  // namespace sysops
