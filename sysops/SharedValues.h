// Values that several products write into: only the product's part goes.
#pragma once

#include "sysops/Registry.h"
#include "sysops/Result.h"

#include <string>
#include <vector>

namespace sysops {

// HKLM\subKey's list value, in `view`, (REG_MULTI_SZ, or a single REG_SZ name) loses
// every entry equal to `entry` (ignoring case); every other byte of it stays
// as it was, empty entries and those after them included. The value is
// deleted once no other name is left. Nothing happens when the key, the
// value or the entry is missing. The key is opened as itself: a link at its
// name is not followed.
Result RemoveListEntry(const char* subKey, const char* valueName, const char* entry, RegistryView view);

// Deletes HKLM\subKey's string value when it names the file `fileName`, bare
// or with any path (ignoring case); a value naming another file stays.
Result DeleteValueNamingFile(const char* subKey, const char* valueName, const char* fileName, RegistryView view);

// The entries of HKLM\subKey's list value (REG_MULTI_SZ) in `view`, in
// order, empty ones included; `exact` is false for one the code page cannot
// spell (its `text` is then empty). False when the value cannot be read or
// is no list.
struct ListEntryText {
    std::string text;
    bool exact;
};
bool ReadListEntries(const char* subKey, const char* valueName, RegistryView view,
                     std::vector<ListEntryText>& entries);

// Whether RemoveListEntry would find `entry` in the list value; whether
// DeleteValueNamingFile would find the value naming `fileName`.
bool ListHoldsEntry(const char* subKey, const char* valueName, const char* entry, RegistryView view);
bool ValueNamesFile(const char* subKey, const char* valueName, const char* fileName, RegistryView view);

}  // namespace sysops
