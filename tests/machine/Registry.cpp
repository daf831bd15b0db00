#include "machine/Registry.h"

#include "machine/Views.h"

#include <sddl.h>

#include <cstring>
#include <utility>

namespace machine {
namespace {

using sysops::UniqueRegKey;

constexpr char kProbeName[] = "MorvaneSampleViewProbe";
// Value names the tests and the sample write are far shorter; longer ones
// are passed over, not cut.
constexpr DWORD kNameBufferSize = 1024;
constexpr DWORD kDataBufferSize = 8192;

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

// True on ERROR_SUCCESS; otherwise leaves the code for GetLastError.
bool Succeeded(LONG status)
{
    if (status == ERROR_SUCCESS)
        return true;
    SetLastError(static_cast<DWORD>(status));
    return false;
}

bool SetValue(HKEY key, const char* name, DWORD type, const void* data, std::size_t size)
{
    return Succeeded(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)));
}

// The raw data of a value, or false when it is missing or too long for the buffer.
bool QueryValue(const std::string& key, const char* name, REGSAM view, DWORD& type, std::string& data)
{
    data.clear();
    const UniqueRegKey handle = OpenKey(key, KEY_READ, view);
    if (!handle)
        return false;
    std::string buffer(kDataBufferSize, '\0');
    DWORD size = kDataBufferSize;
    if (!Succeeded(RegQueryValueExA(handle.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size)))
        return false;
    data.assign(buffer, 0, size);
    return true;
}

// The names `enumerate` lists for index 0, 1, ... until it fails; a name
// too long for the buffer is passed over.
template <typename Enumerate>
std::vector<std::string> Names(const std::string& key, REGSAM view, Enumerate enumerate)
{
    std::vector<std::string> names;
    const UniqueRegKey handle = OpenKey(key, KEY_READ, view);
    if (!handle)
        return names;
    std::string name(kNameBufferSize, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD length = kNameBufferSize;
        const LONG status = enumerate(handle.Get(), i, &name[0], &length);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            break;
        names.push_back(name.substr(0, length));
    }
    return names;
}

}  // namespace

UniqueRegKey OpenKey(const std::string& key, REGSAM access, REGSAM view, HKEY root)
{
    UniqueRegKey handle;
    Succeeded(RegOpenKeyExA(root, key.c_str(), 0, access | view, handle.Put()));
    return handle;
}

UniqueRegKey MakeKey(const std::string& key, REGSAM view, HKEY root)
{
    UniqueRegKey handle;
    Succeeded(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, handle.Put(),
                              nullptr));
    return handle;
}

bool SetString(HKEY key, const char* name, const std::string& data)
{
    return SetValue(key, name, REG_SZ, data.c_str(), data.size() + 1);
}

bool SetDword(HKEY key, const char* name, DWORD data)
{
    return SetValue(key, name, REG_DWORD, &data, sizeof data);
}

bool SetString(const std::string& key, const char* name, const std::string& data, REGSAM view)
{
    const UniqueRegKey handle = MakeKey(key, view);
    return handle && SetString(handle.Get(), name, data);
}

bool SetDword(const std::string& key, const char* name, DWORD data, REGSAM view)
{
    const UniqueRegKey handle = MakeKey(key, view);
    return handle && SetDword(handle.Get(), name, data);
}

bool SetStrings(const std::string& key, const char* name, const std::vector<std::string>& strings, REGSAM view)
{
    std::string block;
    for (const std::string& entry : strings)
        block.append(entry).push_back('\0');
    block.push_back('\0');
    const UniqueRegKey handle = MakeKey(key, view);
    return handle && SetValue(handle.Get(), name, REG_MULTI_SZ, block.data(), block.size());
}

bool KeyExists(const std::string& key, REGSAM view, HKEY root)
{
    return OpenKey(key, KEY_READ, view, root).IsValid();
}

bool ValueExists(const std::string& key, const char* name, REGSAM view)
{
    const UniqueRegKey handle = OpenKey(key, KEY_READ, view);
    return handle && Succeeded(RegQueryValueExA(handle.Get(), name, nullptr, nullptr, nullptr, nullptr));
}

bool ReadString(const std::string& key, const char* name, REGSAM view, std::string& data)
{
    DWORD type = REG_NONE;
    if (!QueryValue(key, name, view, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        data.clear();
        return false;
    }
    data.resize(std::strlen(data.c_str()));  // the terminator, or one missing
    return true;
}

std::string StringValue(const std::string& key, const char* name, REGSAM view)
{
    if (!KeyExists(key, view))
        return "<no key>";
    std::string data;
    return ReadString(key, name, view, data) ? data : "<no value>";
}

bool ReadStrings(const std::string& key, const char* name, REGSAM view, std::vector<std::string>& strings)
{
    strings.clear();
    DWORD type = REG_NONE;
    std::string data;
    if (!QueryValue(key, name, view, type, data))
        return false;
    for (std::size_t at = 0; at < data.size() && data[at] != '\0';) {
        const std::size_t end = data.find('\0', at);
        strings.push_back(data.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end == std::string::npos ? data.size() : end + 1;
    }
    return true;
}

std::vector<std::string> PendingDeletions()
{
    DWORD type = REG_NONE;
    std::string data;
    std::vector<std::string> deleted;
    if (!QueryValue("System\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations", 0, type,
                    data))
        return deleted;
    // Pairs of entries: what, then where to; nowhere is an empty entry.
    std::vector<std::string> entries;
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t end = data.find('\0', at);
        entries.push_back(data.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end == std::string::npos ? data.size() : end + 1;
    }
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2) {
        if (!entries[i].empty() && entries[i + 1].empty())
            deleted.push_back(entries[i]);
    }
    return deleted;
}

std::vector<Value> Values(const std::string& key, REGSAM view)
{
    std::vector<Value> values;
    const UniqueRegKey handle = OpenKey(key, KEY_READ, view);
    std::string data(kDataBufferSize, '\0');
    for (const std::string& name : handle ? ValueNames(key, view) : std::vector<std::string>()) {
        DWORD type = REG_NONE;
        DWORD size = kDataBufferSize;
        if (RegQueryValueExA(handle.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) ==
            ERROR_SUCCESS)
            values.push_back({name, type, data.substr(0, size)});
    }
    return values;
}

std::vector<std::string> ValueNames(const std::string& key, REGSAM view)
{
    return Names(key, view, [](HKEY handle, DWORD index, char* name, DWORD* length) {
        return RegEnumValueA(handle, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::string> SubkeyNames(const std::string& key, REGSAM view)
{
    return Names(key, view, [](HKEY handle, DWORD index, char* name, DWORD* length) {
        return RegEnumKeyExA(handle, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

void DeleteValue(const std::string& key, const char* name, REGSAM view)
{
    const UniqueRegKey handle = OpenKey(key, KEY_SET_VALUE, view);
    if (handle)
        RegDeleteValueA(handle.Get(), name);
}

void DeleteTree(const std::string& key, REGSAM view, HKEY root)
{
    UniqueRegKey handle = OpenKey(key, KEY_ALL_ACCESS, view, root);
    if (!handle)
        return;
    RegDeleteTreeA(handle.Get(), nullptr);
    handle.Reset();
    const std::string parentPath = Parent(key);
    UniqueRegKey parent;
    if (!parentPath.empty()) {
        parent = OpenKey(parentPath, KEY_ALL_ACCESS, view, root);
        if (!parent)
            return;
    }
    RegDeleteKeyExA(parent ? parent.Get() : root, LastName(key).c_str(), view, 0);
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
    const UniqueRegKey parent = OpenKey(Parent(key), KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | DELETE, KEY_WOW64_64KEY);
    if (!parent)
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

ScopedRegKey::ScopedRegKey(std::string key, REGSAM view, HKEY root) : key_(std::move(key)), view_(view), root_(root)
{
    DeleteTree(key_, view_, root_);
}

ScopedRegKey::~ScopedRegKey()
{
    DeleteTree(key_, view_, root_);
}

namespace {

bool ApplySecurity(HKEY key, const char* sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool applied =
        key != nullptr &&
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr) &&
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return applied;
}

}  // namespace

ScopedKeySecurity::ScopedKeySecurity(const std::string& key, REGSAM view, const char* sddl)
    : ScopedKeyChange(key, view)
{
    made_ = ApplySecurity(OpenKey(key, READ_CONTROL | WRITE_DAC, view).Get(), sddl);
}

ScopedKeySecurity::~ScopedKeySecurity()
{
    ApplySecurity(OpenKey(key_, WRITE_DAC, view_).Get(), "D:(A;;KA;;;WD)");
}

ScopedRegLink::ScopedRegLink(const std::string& key, const std::string& target, REGSAM view)
    : ScopedKeyChange(key, view)
{
    HKEY link = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS | view, nullptr, &link, nullptr) != ERROR_SUCCESS)
        return;
    // The target by its full name in the registry's own namespace, where
    // the 32-bit view of 64-bit Windows is a folder of its own.
    const std::string software = "Software\\";
    const std::string real = view == kView32 && target.rfind(software, 0) == 0
                                 ? software + "Wow6432Node\\" + target.substr(software.size())
                                 : target;
    const std::string full = "\\Registry\\Machine\\" + real;
    const std::wstring wide(full.begin(), full.end());
    made_ = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(wide.data()),
                           static_cast<DWORD>(wide.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(link);
}

ScopedRegLink::~ScopedRegLink()
{
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    const auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), REG_OPTION_OPEN_LINK, DELETE | view_, &raw) != ERROR_SUCCESS)
        return;
    const sysops::UniqueRegKey owned(raw);
    deleteKey(owned.Get());
}

}  // namespace machine
