// The sample's registry work under HKEY_LOCAL_MACHINE, in a view given as
// the access flag (0, KEY_WOW64_32KEY or KEY_WOW64_64KEY).
#pragma once

#include "sample/SampleRows.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sample {

// The access flag of a catalogue view: none on 32-bit Windows.
REGSAM ViewFlag(View view, bool win64);
// "HKLM", "HKLM[32]" or "HKLM[64]", as the report names the views.
std::string ViewName(REGSAM view);

bool CreateKey(const std::string& key, REGSAM view);
bool SetString(const std::string& key, const char* name, const std::string& data, REGSAM view);
bool SetDword(const std::string& key, const char* name, DWORD data, REGSAM view);
bool KeyExists(const std::string& key, REGSAM view);
bool ValueExists(const std::string& key, const char* name, REGSAM view);
// False, with data emptied, when the value is missing or not a string.
bool ReadString(const std::string& key, const char* name, REGSAM view, std::string& data);

// The strings of a multi-string value; false when the value is missing.
bool ReadStrings(const std::string& key, const char* name, REGSAM view, std::vector<std::string>& strings);
bool WriteStrings(const std::string& key, const char* name, const std::vector<std::string>& strings, REGSAM view);

std::vector<std::string> SubkeyNames(const std::string& key, REGSAM view);
std::vector<std::string> ValueNames(const std::string& key, REGSAM view);

void DeleteValue(const std::string& key, const char* name, REGSAM view);
// The key and everything below it.
void DeleteTree(const std::string& key, REGSAM view);
// Whether the key or any key below it holds a value.
bool TreeHoldsValues(const std::string& key, REGSAM view);

// The shortest leading part of `key` that does not exist yet (the whole
// key's first missing ancestor, or the key itself); empty when it exists.
std::string FirstMissingKey(const std::string& key, REGSAM view);

// Whether, on 64-bit Windows, both views reach one and the same key at
// `key`: a probe key made under its parent in the 64-bit view is looked for
// in the 32-bit view, and deleted again. False when the parent is missing.
bool ViewsShareKey(const std::string& key);

}  // namespace sample
