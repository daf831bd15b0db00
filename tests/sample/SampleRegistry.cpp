#include "sample/SampleRegistry.h"

#include "sysops/Handles.h"

#include <cstring>

namespace sample {

namespace {

using sysops::UniqueRegKey;

constexpr char kProbeName[] = "MorvaneSampleViewProbe";

bool Open(const std::string& key, REGSAM access, REGSAM view, UniqueRegKey& handle)
{
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, access | view, handle.Put()) == ERROR_SUCCESS;
}

bool Create(const std::string& key, REGSAM view, UniqueRegKey& handle)
{
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                           handle.Put(), nullptr) == ERROR_SUCCESS;
}

std::string Parent(const std::string& key)
{
    const std::size_t slash = key.find_last_of('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

std::string LastName(const std::string& key)
{
    const std::size_t slash = key.find_last_of('\\');
    return slash == std::string::npos ? key : key.substr(slash + 1);
}

}  // namespace

REGSAM ViewFlag(View view, bool win64)
{
    if (!win64)
        return 0;
    return view == View::V0 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

std::string ViewName(REGSAM view)
{
    if (view == KEY_WOW64_32KEY)
        return "HKLM[32]";
    if (view == KEY_WOW64_64KEY)
        return "HKLM[64]";
    return "HKLM";
}

bool CreateKey(const std::string& key, REGSAM view)
{
    UniqueRegKey handle;
    return Create(key, view, handle);
}

bool SetString(const std::string& key, const char* name, const std::string& data, REGSAM view)
{
    UniqueRegKey handle;
    return Create(key, view, handle) &&
           RegSetValueExA(handle.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool SetDword(const std::string& key, const char* name, DWORD data, REGSAM view)
{
    UniqueRegKey handle;
    return Create(key, view, handle) &&
           RegSetValueExA(handle.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
               ERROR_SUCCESS;
}

bool KeyExists(const std::string& key, REGSAM view)
{
    UniqueRegKey handle;
    return Open(key, KEY_READ, view, handle);
}

bool ValueExists(const std::string& key, const char* name, REGSAM view)
{
    UniqueRegKey handle;
    return Open(key, KEY_READ, view, handle) &&
           RegQueryValueExA(handle.Get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool ReadString(const std::string& key, const char* name, REGSAM view, std::string& data)
{
    data.clear();
    UniqueRegKey handle;
    if (!Open(key, KEY_READ, view, handle))
        return false;
    char buffer[2048];
    DWORD size = sizeof buffer - 1;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(handle.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    buffer[size] = '\0';
    data = buffer;
    return true;
}

bool ReadStrings(const std::string& key, const char* name, REGSAM view, std::vector<std::string>& strings)
{
    strings.clear();
    UniqueRegKey handle;
    if (!Open(key, KEY_READ, view, handle))
        return false;
    std::vector<char> buffer(8192, '\0');
    DWORD size = static_cast<DWORD>(buffer.size() - 2);
    if (RegQueryValueExA(handle.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    for (const char* entry = buffer.data(); entry < buffer.data() + size && *entry != '\0';
         entry += std::strlen(entry) + 1)
        strings.emplace_back(entry);
    return true;
}

bool WriteStrings(const std::string& key, const char* name, const std::vector<std::string>& strings, REGSAM view)
{
    std::string block;
    for (const std::string& entry : strings)
        block.append(entry).push_back('\0');
    block.push_back('\0');
    UniqueRegKey handle;
    return Create(key, view, handle) &&
           RegSetValueExA(handle.Get(), name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(block.data()),
                          static_cast<DWORD>(block.size())) == ERROR_SUCCESS;
}

std::vector<std::string> SubkeyNames(const std::string& key, REGSAM view)
{
    std::vector<std::string> names;
    UniqueRegKey handle;
    if (!Open(key, KEY_READ, view, handle))
        return names;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(handle.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::string> ValueNames(const std::string& key, REGSAM view)
{
    std::vector<std::string> names;
    UniqueRegKey handle;
    if (!Open(key, KEY_READ, view, handle))
        return names;
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumValueA(handle.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

void DeleteValue(const std::string& key, const char* name, REGSAM view)
{
    UniqueRegKey handle;
    if (Open(key, KEY_SET_VALUE, view, handle))
        RegDeleteValueA(handle.Get(), name);
}

void DeleteTree(const std::string& key, REGSAM view)
{
    UniqueRegKey handle;
    if (!Open(key, KEY_ALL_ACCESS, view, handle))
        return;
    RegDeleteTreeA(handle.Get(), nullptr);
    handle.Reset();
    UniqueRegKey parent;
    if (Open(Parent(key), KEY_ALL_ACCESS, view, parent))
        RegDeleteKeyExA(parent.Get(), LastName(key).c_str(), view, 0);
}

bool TreeHoldsValues(const std::string& key, REGSAM view)
{
    if (!ValueNames(key, view).empty())
        return true;
    for (const std::string& name : SubkeyNames(key, view)) {
        if (TreeHoldsValues(key + "\\" + name, view))
            return true;
    }
    return false;
}

std::string FirstMissingKey(const std::string& key, REGSAM view)
{
    for (std::size_t slash = key.find('\\');; slash = key.find('\\', slash + 1)) {
        const std::string part = key.substr(0, slash);
        if (!KeyExists(part, view))
            return part;
        if (slash == std::string::npos)
            return std::string();
    }
}

bool ViewsShareKey(const std::string& key)
{
    UniqueRegKey parent;
    if (!Open(Parent(key), KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | DELETE, KEY_WOW64_64KEY, parent))
        return false;
    UniqueRegKey probe;
    if (RegCreateKeyExA(parent.Get(), kProbeName, 0, nullptr, REG_OPTION_VOLATILE, KEY_READ | KEY_WOW64_64KEY,
                        nullptr, probe.Put(), nullptr) != ERROR_SUCCESS)
        return false;
    probe.Reset();
    const bool shared = KeyExists(Parent(key) + "\\" + kProbeName, KEY_WOW64_32KEY);
    RegDeleteKeyExA(parent.Get(), kProbeName, KEY_WOW64_64KEY, 0);
    return shared;
}

}  // namespace sample
