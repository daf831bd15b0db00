// Removing registry keys and values under HKEY_LOCAL_MACHINE, in either
// registry view.
#pragma once

#include "sysops/Handles.h"
#include "sysops/Result.h"

#include <windows.h>

namespace sysops {

// A registry view as a run uses it, decided once from whether Windows is
// 64-bit: the access-mask bits that select it, none on 32-bit Windows,
// which has one view only.
struct RegistryView {
    REGSAM bits = 0;

    // The catalogue's numbering: a non-zero view64 is the 64-bit view
    // (KEY_WOW64_64KEY), 0 the 32-bit one (KEY_WOW64_32KEY).
    static constexpr RegistryView Of(bool is64BitWindows, int view64)
    {
        return RegistryView{!is64BitWindows ? REGSAM(0) : view64 != 0 ? REGSAM(KEY_WOW64_64KEY) : REGSAM(KEY_WOW64_32KEY)};
    }
    bool Is32BitOf64() const { return bits == KEY_WOW64_32KEY; }
    bool Is64BitOf64() const { return bits == KEY_WOW64_64KEY; }
};

inline bool operator==(RegistryView a, RegistryView b) { return a.bits == b.bits; }

// How the last key of a path is opened when it is a symbolic link. A path
// the program names is reached through links, as Windows' own
// (CurrentControlSet) must be; a key the program came upon inside a tree or
// a listing is taken as it is, since a link there may lead anywhere.
enum class KeyLinks {
    Follow,
    AsLink,
};

// Opens HKLM\subKey with `access` (view bits included). On failure `key`
// holds nothing.
Result OpenKey(const char* subKey, REGSAM access, UniqueRegKey& key, KeyLinks links = KeyLinks::Follow);

// Whether a key's name as RegEnumKeyExA spells it opens that key again. A
// character the code page lacks comes out as a question mark, or as a
// look-alike it maps to, the backslash among them, and such a name opened
// below the same parent would lead to another key, through any link on its
// way.
bool KeyNameReopens(const char* name);

// A key tree gives up on a key that still has subkeys after this many of
// them went (one that gains them as fast as they go), and on keys nested
// deeper than Windows allows.
constexpr unsigned long kMaxSubkeysOfOneKey = 100000;
constexpr int kMaxKeyDepth = 512;
// ...and on a whole tree past this many keys, however they are spread.
constexpr unsigned long kMaxKeysOfOneTree = 1000000;

// With a value name: deletes that value of HKLM\subKey in `view`; done also
// when the key or the value is missing. Without (null): deletes subKey and
// its whole subtree, deepest keys first; done when the key is gone,
// otherwise the failure of the step that stopped (ERROR_FILE_NOT_FOUND for
// a missing key; the first failing child stops the whole deletion;
// ERROR_NOT_ENOUGH_QUOTA past `bound` subkeys of one key, kMaxKeyDepth
// levels or kMaxKeysOfOneTree keys; ERROR_INVALID_NAME at a key whose name
// the ANSI calls cannot spell, which stays). The path up to subKey is followed through links; subKey itself,
// and every key below it, is opened as itself, each relative to its
// parent's handle, so that a symbolic link is deleted as the link and what
// it points to is never entered, and nothing renamed meanwhile can lead the
// walk elsewhere. Each emptied key is deleted through its own handle.
Result DeleteRegistryItem(const char* subKey, const char* valueName, RegistryView view,
                          unsigned long bound = kMaxSubkeysOfOneKey);

// Whether HKLM\subKey opens in `view` and holds no subkeys and no values.
bool IsRegistryKeyEmpty(const char* subKey, RegistryView view);

}  // namespace sysops
