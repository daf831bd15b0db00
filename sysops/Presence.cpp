#include "sysops/Presence.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"
#include "sysops/SystemCalls.h"

#include <cstring>

namespace sysops {
namespace {

bool IsNotFound(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_SERVICE_DOES_NOT_EXIST:
        return true;
    default:
        return false;
    }
}

// KEY_NAME_INFORMATION, as NtQueryKey fills it (class 3).
constexpr int kKeyNameInformation = 3;
// The key's own name in the registry's name space; false where the system
// does not say (the 9x family has no such call).
bool RegistryName(HKEY key, std::string& name)
{
    const auto queryKey = Calls().ntQueryKey;
    if (queryKey == nullptr)
        return false;
    std::vector<ULONG> buffer(1024);
    ULONG needed = 0;
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONG));
    if (queryKey(key, kKeyNameInformation, buffer.data(), size, &needed) != 0)
        return false;
    const ULONG bytes = buffer[0];
    if (bytes > size - sizeof(ULONG))
        return false;
    const auto* wide = reinterpret_cast<const WCHAR*>(buffer.data() + 1);
    const int characters = static_cast<int>(bytes / sizeof(WCHAR));
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, characters, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return false;
    name.assign(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, characters, &name[0], length, nullptr, nullptr);
    return true;
}

}  // namespace

bool PathMayExist(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    return !IsNotFound(GetLastError());
}

bool KeyMayExist(const char* subKey, RegistryView view)
{
    UniqueRegKey key;
    const Result opened = OpenKey(subKey, KEY_QUERY_VALUE | view.bits, key);
    return opened.Done() || !IsNotFound(opened.error);
}

bool ValueMayExist(const char* subKey, const char* valueName, RegistryView view)
{
    UniqueRegKey key;
    const Result opened = OpenKey(subKey, KEY_QUERY_VALUE | view.bits, key);
    if (!opened.Done())
        return !IsNotFound(opened.error);
    const LONG status = RegQueryValueExA(key.Get(), valueName, nullptr, nullptr, nullptr, nullptr);
    return status == ERROR_SUCCESS || !IsNotFound(static_cast<DWORD>(status));
}

std::string KeyIdentity(const char* subKey, RegistryView view)
{
    UniqueRegKey key;
    std::string name;
    if (OpenKey(subKey, KEY_QUERY_VALUE | view.bits, key).Done() && RegistryName(key.Get(), name))
        return UpperText(name);
    return UpperText(std::string("HKLM\\") + subKey + "|" + std::to_string(view.bits));
}

bool ServiceMayExist(const char* serviceName)
{
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        // The 9x family has no service manager, and so no services.
        return GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
    }
    UniqueServiceHandle service(OpenServiceA(manager.Get(), serviceName, SERVICE_QUERY_STATUS));
    return service.IsValid() || !IsNotFound(GetLastError());
}

bool ReadKeyContents(const char* subKey, RegistryView view, std::vector<std::string>& subkeys, unsigned long& values)
{
    subkeys.clear();
    values = 0;
    UniqueRegKey key;
    if (!OpenKey(subKey, KEY_READ | view.bits, key).Done())
        return false;
    DWORD valueCount = 0;
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    values = valueCount;
    char name[kPathBufferSize];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LONG status = RegEnumKeyExA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return true;
        if (status != ERROR_SUCCESS)
            return false;
        subkeys.emplace_back(name, length);
    }
}

bool ReadFolderContents(const std::string& dir, std::vector<std::string>& names)
{
    names.clear();
    std::string pattern;
    if (!AppendText(dir, "\\*.*", pattern, kFilePathBufferSize))
        return false;
    WIN32_FIND_DATAA entry;
    const UniqueFindHandle search(FindFirstFileA(pattern.c_str(), &entry));
    if (!search)
        return false;
    do {
        if (std::strcmp(entry.cFileName, ".") != 0 && std::strcmp(entry.cFileName, "..") != 0)
            names.emplace_back(entry.cFileName);
    } while (FindNextFileA(search.Get(), &entry));
    return true;
}

}  // namespace sysops
