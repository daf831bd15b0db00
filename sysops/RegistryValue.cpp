#include "sysops/RegistryValue.h"

#include "sysops/Handles.h"
#include "sysops/Registry.h"

#include <vector>

namespace sysops {

bool ReadStringValue(HKEY key, const char* valueName, std::string& value, std::size_t bufferSize)
{
    value.clear();
    std::vector<char> buffer(bufferSize, '\0');
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(bufferSize);
    const LONG status = RegQueryValueExA(key, valueName, nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return false;
    // Stored data need not end with a terminator; without one in the buffer
    // the text did not fit.
    std::size_t length = 0;
    while (length < size && buffer[length] != '\0')
        ++length;
    if (!Fits(length, bufferSize))
        return false;
    value.assign(buffer.data(), length);
    return true;
}

bool ReadStringValue(const char* subKey, const char* valueName, RegistryView view, std::string& value)
{
    value.clear();
    UniqueRegKey key;
    return OpenKey(subKey, KEY_QUERY_VALUE | view.bits, key).Done() && ReadStringValue(key.Get(), valueName, value);
}

}  // namespace sysops
