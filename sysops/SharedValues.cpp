#include "sysops/SharedValues.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sysops {
namespace {

// The raw data and type of a value; false when it cannot be read.
bool ReadValue(HKEY key, const char* valueName, std::vector<char>& data, DWORD& type)
{
    type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.assign(size + 2, '\0');  // room for terminators the stored data may lack
    return RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
           ERROR_SUCCESS;
}

// The names of a list value, in order.
std::vector<std::string> SplitList(const std::vector<char>& data)
{
    // The data always ends in two terminators (see ReadValue), so every
    // entry ends inside it.
    std::vector<std::string> entries;
    const char* const end = data.data() + data.size();
    for (const char* entry = data.data(); entry < end && *entry != '\0'; entry += entries.back().size() + 1)
        entries.emplace_back(entry);
    return entries;
}

std::vector<char> JoinList(const std::vector<std::string>& entries)
{
    std::vector<char> data;
    for (const std::string& entry : entries) {
        data.insert(data.end(), entry.begin(), entry.end());
        data.push_back('\0');
    }
    data.push_back('\0');
    return data;
}

// The file name part of a path, without surrounding quotes or blanks.
std::string BaseName(std::string path)
{
    while (!path.empty() && (path.back() == '"' || path.back() == ' '))
        path.pop_back();
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    while (!name.empty() && (name.front() == '"' || name.front() == ' '))
        name.erase(0, 1);
    return name;
}

// Opens HKLM\subKey with `access` and reads the value; false when either fails.
bool OpenValue(const char* subKey, const char* valueName, int view64, UniqueRegKey& key, std::vector<char>& data,
               DWORD& type, REGSAM access = KEY_READ | KEY_WRITE)
{
    return OpenKey(subKey, access | RegistryViewBits(view64), key) == ERROR_SUCCESS &&
           ReadValue(key.Get(), valueName, data, type);
}

bool HoldsEntry(const std::vector<std::string>& entries, const char* entry)
{
    for (const std::string& name : entries) {
        if (EqualsNoCase(name.c_str(), entry))
            return true;
    }
    return false;
}

bool IsList(DWORD type) { return type == REG_MULTI_SZ || type == REG_SZ; }
bool IsPath(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

void RemoveListEntry(const char* subKey, const char* valueName, const char* entry, int view64)
{
    UniqueRegKey key;
    std::vector<char> data;
    DWORD type = REG_NONE;
    if (!OpenValue(subKey, valueName, view64, key, data, type) || !IsList(type))
        return;

    const std::vector<std::string> entries = SplitList(data);
    std::vector<std::string> kept;
    for (const std::string& name : entries) {
        if (!EqualsNoCase(name.c_str(), entry))
            kept.push_back(name);
    }
    if (kept.empty()) {
        RegDeleteValueA(key.Get(), valueName);
        return;
    }
    if (type == REG_SZ || kept.size() == entries.size())
        return;  // nothing of ours in it
    const std::vector<char> rest = JoinList(kept);
    RegSetValueExA(key.Get(), valueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(rest.data()),
                   static_cast<DWORD>(rest.size()));
}

void DeleteValueNamingFile(const char* subKey, const char* valueName, const char* fileName, int view64)
{
    UniqueRegKey key;
    std::vector<char> data;
    DWORD type = REG_NONE;
    if (!OpenValue(subKey, valueName, view64, key, data, type) || !IsPath(type))
        return;
    if (EqualsNoCase(BaseName(data.data()).c_str(), fileName))
        RegDeleteValueA(key.Get(), valueName);
}

bool ListHoldsEntry(const char* subKey, const char* valueName, const char* entry, int view64)
{
    UniqueRegKey key;
    std::vector<char> data;
    DWORD type = REG_NONE;
    return OpenValue(subKey, valueName, view64, key, data, type, KEY_QUERY_VALUE) && IsList(type) &&
           HoldsEntry(SplitList(data), entry);
}

bool ValueNamesFile(const char* subKey, const char* valueName, const char* fileName, int view64)
{
    UniqueRegKey key;
    std::vector<char> data;
    DWORD type = REG_NONE;
    return OpenValue(subKey, valueName, view64, key, data, type, KEY_QUERY_VALUE) && IsPath(type) &&
           EqualsNoCase(BaseName(data.data()).c_str(), fileName);
}

}  // namespace sysops
