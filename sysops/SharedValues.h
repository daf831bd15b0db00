// Values that several products write into: only the product's part goes.
#pragma once

namespace sysops {

// HKLM\subKey's list value (REG_MULTI_SZ, or a single REG_SZ name) loses
// every entry equal to `entry` (ignoring case); every other byte of it stays
// as it was, empty entries and those after them included. The value is
// deleted once no other name is left. Nothing happens when the key, the
// value or the entry is missing. The key is opened as itself: a link at its
// name is not followed.
void RemoveListEntry(const char* subKey, const char* valueName, const char* entry, int view64);

// Deletes HKLM\subKey's string value when it names the file `fileName`, bare
// or with any path (ignoring case); a value naming another file stays.
void DeleteValueNamingFile(const char* subKey, const char* valueName, const char* fileName, int view64);

// Whether RemoveListEntry would find `entry` in the list value; whether
// DeleteValueNamingFile would find the value naming `fileName`.
bool ListHoldsEntry(const char* subKey, const char* valueName, const char* entry, int view64);
bool ValueNamesFile(const char* subKey, const char* valueName, const char* fileName, int view64);

}  // namespace sysops
