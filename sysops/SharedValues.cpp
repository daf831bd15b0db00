#include "sysops/SharedValues.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sysops {
namespace {

// The data of a value exactly as stored, and its type; false when it
// cannot be read.
bool ReadValue(HKEY key, const char* valueName, std::vector<char>& data, DWORD& type)
{
    type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.assign(size, '\0');
    if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    data.resize(size);
    return true;
}

// The text of string data, up to its terminator or its end.
std::string Text(const std::vector<char>& data, std::size_t from = 0, std::size_t* end = nullptr)
{
    std::size_t stop = from;
    while (stop < data.size() && data[stop] != '\0')
        ++stop;
    if (end != nullptr)
        *end = stop;
    return std::string(data.data() + from, stop - from);
}

// Where each entry of a list lies in its data, terminator included: every
// entry to the data's end, empty ones and those after them too.
struct Entry {
    std::size_t begin;
    std::size_t end;  // past the terminator, or the data's end
    std::string name;
};

std::vector<Entry> Entries(const std::vector<char>& data)
{
    std::vector<Entry> entries;
    for (std::size_t at = 0; at < data.size();) {
        std::size_t stop = 0;
        std::string name = Text(data, at, &stop);
        const std::size_t end = stop < data.size() ? stop + 1 : stop;
        entries.push_back(Entry{at, end, std::move(name)});
        at = end;
    }
    return entries;
}

bool HoldsOthers(const std::vector<Entry>& entries)
{
    for (const Entry& entry : entries) {
        if (!entry.name.empty())
            return true;
    }
    return false;
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

// Opens HKLM\subKey as itself (a link planted at its name leads to some
// other key's value) with `access` and reads the value; false when either fails.
bool OpenValue(const char* subKey, const char* valueName, int view64, UniqueRegKey& key, std::vector<char>& data,
               DWORD& type, REGSAM access = KEY_READ | KEY_WRITE)
{
    return OpenKey(subKey, access | RegistryViewBits(view64), key, KeyLinks::AsLink) == ERROR_SUCCESS &&
           ReadValue(key.Get(), valueName, data, type);
}

bool HoldsEntry(const std::vector<char>& data, const char* entry)
{
    for (const Entry& found : Entries(data)) {
        if (EqualsNoCase(found.name.c_str(), entry))
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
    if (type == REG_SZ) {
        if (EqualsNoCase(Text(data).c_str(), entry))
            RegDeleteValueA(key.Get(), valueName);
        return;
    }
    // Every byte but the entry's own stays as it was.
    std::vector<char> rest;
    bool found = false;
    for (const Entry& name : Entries(data)) {
        const bool ours = EqualsNoCase(name.name.c_str(), entry) && !name.name.empty();
        found = found || ours;
        if (!ours)
            rest.insert(rest.end(), data.begin() + static_cast<std::ptrdiff_t>(name.begin),
                        data.begin() + static_cast<std::ptrdiff_t>(name.end));
    }
    if (!found)
        return;
    if (!HoldsOthers(Entries(rest))) {
        RegDeleteValueA(key.Get(), valueName);
        return;
    }
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
    if (EqualsNoCase(BaseName(Text(data)).c_str(), fileName))
        RegDeleteValueA(key.Get(), valueName);
}

bool ListHoldsEntry(const char* subKey, const char* valueName, const char* entry, int view64)
{
    UniqueRegKey key;
    std::vector<char> data;
    DWORD type = REG_NONE;
    return OpenValue(subKey, valueName, view64, key, data, type, KEY_QUERY_VALUE) && IsList(type) &&
           (type == REG_SZ ? EqualsNoCase(Text(data).c_str(), entry) : HoldsEntry(data, entry));
}

bool ValueNamesFile(const char* subKey, const char* valueName, const char* fileName, int view64)
{
    UniqueRegKey key;
    std::vector<char> data;
    DWORD type = REG_NONE;
    return OpenValue(subKey, valueName, view64, key, data, type, KEY_QUERY_VALUE) && IsPath(type) &&
           EqualsNoCase(BaseName(Text(data)).c_str(), fileName);
}

}  // namespace sysops
