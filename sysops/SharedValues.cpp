#include "sysops/SharedValues.h"

#include "sysops/Handles.h"
#include "sysops/NativeFiles.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"
#include "sysops/SystemCalls.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sysops {
namespace {

// A value's data exactly as stored, and its type. On the NT family the
// registry keeps text in UTF-16, and it is read and written so: data read
// through the ANSI calls would come back with every character the code
// page lacks changed, and written back, others' entries would change with it.
struct StoredValue {
    std::vector<BYTE> bytes;
    DWORD type = REG_NONE;
    std::size_t unit = 1;  // bytes a character takes
    std::wstring wideName;

    // The character at `index` (in units).
    unsigned Char(std::size_t index) const
    {
        return unit == 1 ? bytes[index] : bytes[2 * index] | (bytes[2 * index + 1] << 8);
    }
    std::size_t Units() const { return bytes.size() / unit; }
};

bool ReadValue(HKEY key, const char* valueName, StoredValue& value)
{
    value.type = REG_NONE;
    value.unit = Calls().HasWideValues() ? 2 : 1;
    if (value.unit == 2) {
        std::vector<wchar_t> wide;
        if (*valueName != '\0' && !NativeText(valueName, wide))
            return false;
        value.wideName.assign(wide.begin(), wide.end());
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = static_cast<DWORD>(value.bytes.size());
        BYTE* data = value.bytes.empty() ? nullptr : value.bytes.data();
        const LONG status =
            value.unit == 2 ? Calls().regQueryValueExW(key, value.wideName.c_str(), nullptr, &value.type, data, &size)
                            : RegQueryValueExA(key, valueName, nullptr, &value.type, data, &size);
        if (status == ERROR_SUCCESS && data != nullptr) {
            value.bytes.resize(size);
            return true;
        }
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            return false;
        value.bytes.assign(size, 0);
    }
    return false;
}

Result WriteList(HKEY key, const char* valueName, const StoredValue& value, const std::vector<BYTE>& data)
{
    const DWORD size = static_cast<DWORD>(data.size());
    const LONG status =
        value.unit == 2 ? Calls().regSetValueExW(key, value.wideName.c_str(), 0, REG_MULTI_SZ, data.data(), size)
                        : RegSetValueExA(key, valueName, 0, REG_MULTI_SZ, data.data(), size);
    return Result::Error(static_cast<unsigned long>(status));
}

// The text of units [from, to) as the ANSI names of the catalogue spell it,
// when it is exactly that: text with a character the code page lacks, or
// has only a look-alike for, is nobody's name here and comes back empty.
std::string AnsiText(const StoredValue& value, std::size_t from, std::size_t to)
{
    if (value.unit == 1)
        return std::string(reinterpret_cast<const char*>(value.bytes.data()) + from, to - from);
    std::wstring wide;
    for (std::size_t i = from; i < to; ++i)
        wide.push_back(static_cast<wchar_t>(value.Char(i)));
    if (wide.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length, nullptr, nullptr);
    std::vector<wchar_t> back;
    if (!NativeText(text, back) || std::wstring(back.begin(), back.end()) != wide)
        return std::string();
    return text;
}

// Where a terminator ends the text that starts at unit `from`, or the end.
std::size_t TextEnd(const StoredValue& value, std::size_t from)
{
    std::size_t stop = from;
    while (stop < value.Units() && value.Char(stop) != 0)
        ++stop;
    return stop;
}

// The text of string data, up to its terminator or its end.
std::string Text(const StoredValue& value)
{
    return AnsiText(value, 0, TextEnd(value, 0));
}

// Where each entry of a list lies in its data (in bytes), terminator
// included: every entry to the data's end, empty ones and those after them too.
struct Entry {
    std::size_t begin;
    std::size_t end;  // past the terminator, or the data's end
    std::string name;  // empty when the code page cannot spell it
    bool empty;
};

std::vector<Entry> Entries(const StoredValue& value)
{
    std::vector<Entry> entries;
    for (std::size_t at = 0; at < value.Units();) {
        const std::size_t stop = TextEnd(value, at);
        const std::size_t end = stop < value.Units() ? stop + 1 : stop;
        entries.push_back(Entry{at * value.unit, end * value.unit, AnsiText(value, at, stop), stop == at});
        at = end;
    }
    return entries;
}

bool HoldsOthers(const StoredValue& value)
{
    for (const Entry& entry : Entries(value)) {
        if (!entry.empty)
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
bool OpenValue(const char* subKey, const char* valueName, RegistryView view, UniqueRegKey& key, StoredValue& value,
               REGSAM access = KEY_READ | KEY_WRITE)
{
    return OpenKey(subKey, access | view.bits, key, KeyLinks::AsLink).Done() && ReadValue(key.Get(), valueName, value);
}

// An entry the ANSI text cannot spell exactly is never the product's.
bool IsEntry(const Entry& found, const char* entry)
{
    return !found.name.empty() && SameText(found.name, entry);
}

bool HoldsEntry(const StoredValue& value, const char* entry)
{
    for (const Entry& found : Entries(value)) {
        if (IsEntry(found, entry))
            return true;
    }
    return false;
}

Result DeleteValue(HKEY key, const char* valueName)
{
    return Result::Error(static_cast<unsigned long>(RegDeleteValueA(key, valueName)));
}

bool IsList(DWORD type) { return type == REG_MULTI_SZ || type == REG_SZ; }
bool IsPath(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

Result RemoveListEntry(const char* subKey, const char* valueName, const char* entry, RegistryView view)
{
    UniqueRegKey key;
    StoredValue value;
    if (!OpenValue(subKey, valueName, view, key, value) || !IsList(value.type))
        return Result::Ok();
    if (value.type == REG_SZ)
        return SameText(Text(value), entry) ? DeleteValue(key.Get(), valueName) : Result::Ok();
    // Every byte but the entry's own stays as it was.
    StoredValue rest = value;
    rest.bytes.clear();
    bool found = false;
    for (const Entry& name : Entries(value)) {
        const bool ours = IsEntry(name, entry);
        found = found || ours;
        if (!ours)
            rest.bytes.insert(rest.bytes.end(), value.bytes.begin() + static_cast<std::ptrdiff_t>(name.begin),
                              value.bytes.begin() + static_cast<std::ptrdiff_t>(name.end));
    }
    if (!found)
        return Result::Ok();
    if (!HoldsOthers(rest))
        return DeleteValue(key.Get(), valueName);
    return WriteList(key.Get(), valueName, value, rest.bytes);
}

Result DeleteValueNamingFile(const char* subKey, const char* valueName, const char* fileName, RegistryView view)
{
    UniqueRegKey key;
    StoredValue value;
    if (!OpenValue(subKey, valueName, view, key, value) || !IsPath(value.type) ||
        !SameText(BaseName(Text(value)), fileName))
        return Result::Ok();
    return DeleteValue(key.Get(), valueName);
}

bool ListHoldsEntry(const char* subKey, const char* valueName, const char* entry, RegistryView view)
{
    UniqueRegKey key;
    StoredValue value;
    return OpenValue(subKey, valueName, view, key, value, KEY_QUERY_VALUE) && IsList(value.type) &&
           (value.type == REG_SZ ? SameText(Text(value), entry) : HoldsEntry(value, entry));
}

bool ReadListEntries(const char* subKey, const char* valueName, RegistryView view,
                     std::vector<ListEntryText>& entries)
{
    entries.clear();
    UniqueRegKey key;
    StoredValue value;
    if (!OpenValue(subKey, valueName, view, key, value, KEY_QUERY_VALUE) || value.type != REG_MULTI_SZ)
        return false;
    for (const Entry& entry : Entries(value))
        entries.push_back(ListEntryText{entry.name, entry.empty || !entry.name.empty()});
    return true;
}

bool ValueNamesFile(const char* subKey, const char* valueName, const char* fileName, RegistryView view)
{
    UniqueRegKey key;
    StoredValue value;
    return OpenValue(subKey, valueName, view, key, value, KEY_QUERY_VALUE) && IsPath(value.type) &&
           SameText(BaseName(Text(value)), fileName);
}

}  // namespace sysops
