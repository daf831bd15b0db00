// Registry keys and values for setting a machine up and for looking at it
// afterwards, with plain Win32 calls, never the program's own. Keys lie
// under HKEY_LOCAL_MACHINE unless a root is given (an open key will do);
// `view` is the access flag of a registry view (Views.h). A false result
// leaves the Windows error code for GetLastError.
#pragma once

#include "sysops/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace machine {

// An open key, or an invalid owner when it cannot be opened.
sysops::UniqueRegKey OpenKey(const std::string& key, REGSAM access, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);
// The key opened with full access, created with its missing parents first.
sysops::UniqueRegKey MakeKey(const std::string& key, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);

// Values of an open key.
bool SetString(HKEY key, const char* name, const std::string& data);
bool SetDword(HKEY key, const char* name, DWORD data);

// Values, the key created as needed.
bool SetString(const std::string& key, const char* name, const std::string& data, REGSAM view = 0);
bool SetDword(const std::string& key, const char* name, DWORD data, REGSAM view = 0);
// A multi-string value (REG_MULTI_SZ) of these strings, in order.
bool SetStrings(const std::string& key, const char* name, const std::vector<std::string>& strings, REGSAM view = 0);

bool KeyExists(const std::string& key, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);
bool ValueExists(const std::string& key, const char* name, REGSAM view = 0);

// A string value (REG_SZ or REG_EXPAND_SZ); false, with data emptied, when
// the key or the value is missing or the value is no string.
bool ReadString(const std::string& key, const char* name, REGSAM view, std::string& data);
// The same for a comparison in a test: the string, "<no key>" or "<no value>".
std::string StringValue(const std::string& key, const char* name, REGSAM view = 0);
// The strings of a multi-string value; false when the value is missing.
bool ReadStrings(const std::string& key, const char* name, REGSAM view, std::vector<std::string>& strings);

// The files and folders Windows is to delete at the next restart, in order,
// as native paths ("\\??\\C:\\..."); renames are left out.
std::vector<std::string> PendingDeletions();

struct Value {
    std::string name;
    DWORD type;
    std::string data;  // the raw bytes
};
// Every value of the key with its data, in enumeration order.
std::vector<Value> Values(const std::string& key, REGSAM view);
std::vector<std::string> ValueNames(const std::string& key, REGSAM view);
std::vector<std::string> SubkeyNames(const std::string& key, REGSAM view);

void DeleteValue(const std::string& key, const char* name, REGSAM view = 0);
// The key and everything below it; nothing happens when it is missing.
void DeleteTree(const std::string& key, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);

// Whether the key or any key below it holds a value.
bool TreeHoldsValues(const std::string& key, REGSAM view);
// The shortest leading part of `key` that does not exist yet (the whole
// key's first missing ancestor, or the key itself); empty when it exists.
std::string FirstMissingKey(const std::string& key, REGSAM view);
// Whether, on 64-bit Windows, both views reach one and the same key at
// `key` (Wine, like Windows 7, shares a few): a probe key made under its
// parent in the 64-bit view is looked for in the 32-bit view, and deleted
// again. False when the parent is missing.
bool ViewsShareKey(const std::string& key);

// A key deleted, with everything below it, before and after a test.
class ScopedRegKey {
public:
    explicit ScopedRegKey(std::string key, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);
    ~ScopedRegKey();
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

private:
    std::string key_;
    REGSAM view_;
    HKEY root_;
};

// A change a test makes at HKLM\key (in `view`), undone when the object
// goes; Made() says whether it took.
class ScopedKeyChange {
public:
    ScopedKeyChange(const ScopedKeyChange&) = delete;
    ScopedKeyChange& operator=(const ScopedKeyChange&) = delete;

    bool Made() const { return made_; }

protected:
    ScopedKeyChange(const std::string& key, REGSAM view) : key_(key), view_(view) {}
    ~ScopedKeyChange() = default;

    std::string key_;
    REGSAM view_;
    bool made_ = false;
};

// Gives a key the access list an SDDL string names ("D:(A;;KA;;;WD)"); on
// destruction it lets everybody do everything again, so that the test's
// cleanup can delete it.
class ScopedKeySecurity : public ScopedKeyChange {
public:
    ScopedKeySecurity(const std::string& key, REGSAM view, const char* sddl);
    ~ScopedKeySecurity();
};

// A symbolic link at the key to HKLM\target, as a program with the rights
// to do so may plant one; deleted as the link if it is still there.
// Volatile, so that nothing of a broken test outlives the machine's next
// start.
class ScopedRegLink : public ScopedKeyChange {
public:
    ScopedRegLink(const std::string& key, const std::string& target, REGSAM view);
    ~ScopedRegLink();
};

}  // namespace machine
