#include "sysops/Registry.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/RegistryLink.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace sysops {
namespace {

// Opens HKLM\subKey with the first of `tries` that is granted; `granted`
// is what it was opened with. Only a refusal moves on to a lesser right.
LONG OpenWithFirstGranted(const std::string& subKey, REGSAM view, KeyLinks links, std::initializer_list<REGSAM> tries,
                          UniqueRegKey& key, REGSAM& granted)
{
    LONG status = ERROR_ACCESS_DENIED;
    for (const REGSAM access : tries) {
        status = OpenKey(subKey.c_str(), access | view, key, links);
        granted = access;
        if (status != ERROR_ACCESS_DENIED)
            break;
    }
    return status;
}

// Deletes a key that has no subkeys left. On NT it goes through the handle
// it was emptied with: that is the key itself, or the link itself when it
// was opened as one, even if its name has meanwhile come to lead elsewhere.
// The 9x family's registry has no links, and deletes by name.
LONG DeleteEmptiedKey(HKEY key, const std::string& subKey)
{
    if (!RegistryLinksExist())
        return RegDeleteKeyA(HKEY_LOCAL_MACHINE, subKey.c_str());
    return DeleteOpenedKey(key);
}

// The first subkey of subKey, read afresh. The key is opened for writing
// and deleting as well where that is allowed; when no subkey is left,
// `deletable` then keeps that handle for the key's own deletion.
LONG FirstSubkey(const std::string& subKey, REGSAM view, KeyLinks links, std::string& name, UniqueRegKey& deletable)
{
    UniqueRegKey key;
    REGSAM granted = 0;
    LONG status = OpenWithFirstGranted(subKey, view, links,
                                       {KEY_READ | KEY_WRITE | DELETE, KEY_READ | KEY_WRITE, KEY_READ}, key, granted);
    if (status != ERROR_SUCCESS)
        return status;
    char buffer[kPathBufferSize];
    DWORD length = sizeof buffer;
    status = RegEnumKeyExA(key.Get(), 0, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        name.assign(buffer, length);
    else if (status == ERROR_NO_MORE_ITEMS && (granted & KEY_WRITE) == KEY_WRITE)
        deletable = std::move(key);
    return status;
}

// Below the key the program named, every key is opened as itself: a
// symbolic link there has no subkeys of its own, so it is never entered
// and goes as the link, whatever it points to.
LONG DeleteKeyTree(const std::string& subKey, REGSAM view, KeyLinks links)
{
    LONG status;
    UniqueRegKey deletable;
    for (;;) {
        // Each pass removes the child it found, so index 0 is always the
        // next one; the key is reopened so that no handle is held while a
        // child is deleted.
        std::string name;
        status = FirstSubkey(subKey, view, links, name, deletable);
        if (status != ERROR_SUCCESS)
            break;
        std::string child;
        if (!JoinPath(subKey, name.c_str(), child)) {
            // Too deep for the path buffer: this subtree stays, and so does the key.
            status = ERROR_FILENAME_EXCED_RANGE;
            break;
        }
        status = DeleteKeyTree(child, view, KeyLinks::AsLink);
        if (status != ERROR_SUCCESS)
            break;
    }
    if (status != ERROR_NO_MORE_ITEMS)
        return status;
    // The key is deleted only where it may be written.
    REGSAM granted = 0;
    if (!deletable &&
        OpenWithFirstGranted(subKey, view, links, {KEY_WRITE | DELETE, KEY_WRITE}, deletable, granted) != ERROR_SUCCESS)
        return ERROR_NO_MORE_ITEMS;
    return DeleteEmptiedKey(deletable.Get(), subKey);
}

}  // namespace

REGSAM RegistryViewBits(int view64)
{
    return ViewBits(Is64BitWindows() == 1, view64);
}

LONG OpenKey(const char* subKey, REGSAM access, UniqueRegKey& key, KeyLinks links)
{
    const DWORD options = links == KeyLinks::AsLink && RegistryLinksExist() ? REG_OPTION_OPEN_LINK : 0;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, options, access, key.Put());
}

LONG DeleteRegistryItem(const char* subKey, const char* valueName, int view64)
{
    const REGSAM view = RegistryViewBits(view64);
    if (valueName == nullptr)
        return DeleteKeyTree(subKey, view, KeyLinks::Follow);

    UniqueRegKey key;
    if (OpenKey(subKey, KEY_WRITE | view, key) == ERROR_SUCCESS)
        RegDeleteValueA(key.Get(), valueName);
    return ERROR_SUCCESS;
}

LONG DeleteFoundRegistryKey(const char* subKey, int view64)
{
    return DeleteKeyTree(subKey, RegistryViewBits(view64), KeyLinks::AsLink);
}

int IsRegistryKeyEmpty(const char* subKey, int view64)
{
    UniqueRegKey key;
    if (OpenKey(subKey, KEY_QUERY_VALUE | RegistryViewBits(view64), key) != ERROR_SUCCESS)
        return 0;
    DWORD subkeys = 0;
    DWORD values = 1;
    const LONG status = RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                         nullptr, nullptr, nullptr, nullptr);
    return status == ERROR_SUCCESS && subkeys == 0 && values == 0 ? 1 : 0;
}

}  // namespace sysops
