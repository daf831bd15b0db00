#include "sysops/Registry.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/RegistryLink.h"
#include "sysops/SystemLibrary.h"

#include <string>
#include <utility>

namespace sysops {
namespace {

using DeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

// Windows before XP x64 lacks RegDeleteKeyExA, so it is looked up by name;
// once is enough, as advapi32 stays loaded for the life of the process.
DeleteKeyExFn LookUpDeleteKeyEx()
{
    static const DeleteKeyExFn deleteKeyEx = LookUpLoaded<DeleteKeyExFn>("advapi32.dll", "RegDeleteKeyExA");
    return deleteKeyEx;
}

// Deletes the key itself, which has no subkeys left, in its view.
// ERROR_NO_MORE_ITEMS when the call that does so is missing.
LONG DeleteKeyItself(const std::string& subKey, REGSAM view, bool is64BitWindows)
{
    if (!is64BitWindows)
        return RegDeleteKeyA(HKEY_LOCAL_MACHINE, subKey.c_str());
    const DeleteKeyExFn deleteKeyEx = LookUpDeleteKeyEx();
    if (deleteKeyEx == nullptr)
        return ERROR_NO_MORE_ITEMS;
    return deleteKeyEx(HKEY_LOCAL_MACHINE, subKey.c_str(), view, 0);
}

// The first subkey of subKey, read afresh. The key is opened for writing as
// well where that is allowed; when no subkey is left, `writable` then keeps
// that open for the key's own deletion, which would otherwise open it again.
LONG FirstSubkey(const std::string& subKey, REGSAM view, KeyLinks links, std::string& name, UniqueRegKey& writable)
{
    UniqueRegKey key;
    LONG status = OpenKey(subKey.c_str(), KEY_READ | KEY_WRITE | view, key, links);
    const bool canWrite = status == ERROR_SUCCESS;
    if (!canWrite)
        status = OpenKey(subKey.c_str(), KEY_READ | view, key, links);
    if (status != ERROR_SUCCESS)
        return status;
    char buffer[kPathBufferSize];
    DWORD length = sizeof buffer;
    status = RegEnumKeyExA(key.Get(), 0, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        name.assign(buffer, length);
    else if (status == ERROR_NO_MORE_ITEMS && canWrite)
        writable = std::move(key);
    return status;
}

LONG DeleteInnerKey(const std::string& subKey, REGSAM view, bool is64BitWindows);

LONG DeleteKeyTree(const std::string& subKey, REGSAM view, bool is64BitWindows, KeyLinks links)
{
    LONG status;
    UniqueRegKey writable;
    for (;;) {
        // Each pass removes the child it found, so index 0 is always the
        // next one; the key is reopened so that no handle is held while a
        // child is deleted.
        std::string name;
        status = FirstSubkey(subKey, view, links, name, writable);
        if (status != ERROR_SUCCESS)
            break;
        std::string child;
        if (!JoinPath(subKey, name.c_str(), child)) {
            // Too deep for the path buffer: this subtree stays, and so does the key.
            status = ERROR_FILENAME_EXCED_RANGE;
            break;
        }
        status = DeleteInnerKey(child, view, is64BitWindows);
        if (status != ERROR_SUCCESS)
            break;
    }
    if (status != ERROR_NO_MORE_ITEMS)
        return status;
    // The key is deleted only where it may be written; it stays open meanwhile.
    if (!writable && OpenKey(subKey.c_str(), KEY_WRITE | view, writable, links) != ERROR_SUCCESS)
        return ERROR_NO_MORE_ITEMS;
    return DeleteKeyItself(subKey, view, is64BitWindows);
}

// A key met inside a tree: a link there may point into anybody's keys, so
// it goes as the link, and only what is really below the tree is entered.
LONG DeleteInnerKey(const std::string& subKey, REGSAM view, bool is64BitWindows)
{
    UniqueRegKey link;
    if (OpenIfLink(subKey.c_str(), view, link))
        return DeleteLinkItself(link.Get());
    return DeleteKeyTree(subKey, view, is64BitWindows, KeyLinks::AsLink);
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
    const bool is64BitWindows = view != 0;
    if (valueName == nullptr)
        return DeleteKeyTree(subKey, view, is64BitWindows, KeyLinks::Follow);

    UniqueRegKey key;
    if (OpenKey(subKey, KEY_WRITE | view, key) == ERROR_SUCCESS)
        RegDeleteValueA(key.Get(), valueName);
    return ERROR_SUCCESS;
}

LONG DeleteFoundRegistryKey(const char* subKey, int view64)
{
    const REGSAM view = RegistryViewBits(view64);
    return DeleteInnerKey(subKey, view, view != 0);
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
