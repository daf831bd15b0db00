#include "sysops/Registry.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/RegistryLink.h"

#include <string>
#include <utility>

namespace sysops {
namespace {

// The rights a key is opened with to be emptied and deleted, best first:
// only a refusal moves on to a lesser right, and a key that cannot be
// written is not deleted.
constexpr REGSAM kEmptyingRights[] = {KEY_READ | KEY_WRITE | DELETE, KEY_READ | KEY_WRITE, KEY_READ};

// Opens `name` below `parent` as itself (a link as the link) with the first
// of kEmptyingRights granted; `granted` is what it was opened with.
LONG OpenToEmpty(HKEY parent, const char* name, REGSAM view, UniqueRegKey& key, REGSAM& granted)
{
    const DWORD options = RegistryLinksExist() ? REG_OPTION_OPEN_LINK : 0;
    LONG status = ERROR_ACCESS_DENIED;
    for (const REGSAM access : kEmptyingRights) {
        status = RegOpenKeyExA(parent, name, options, access | view, key.Put());
        granted = access;
        if (status != ERROR_ACCESS_DENIED)
            break;
    }
    return status;
}

// Deletes `key`, which has no subkeys left, through its own handle on NT:
// the key itself, or the link itself when it was opened as one, whatever
// its name has meanwhile come to lead to. The 9x family's registry has no
// links, and deletes by name below the parent.
LONG DeleteEmptiedKey(HKEY parent, const char* name, HKEY key)
{
    if (!RegistryLinksExist())
        return RegDeleteKeyA(parent, name);
    return DeleteOpenedKey(key);
}

class KeyTreeWalk {
public:
    KeyTreeWalk(REGSAM view, unsigned long bound) : view_(view), bound_(bound) {}

    // Empties the key `name` below `parent` and deletes it. Every key below
    // is opened relative to its parent's handle and as itself: a symbolic
    // link there has no subkeys of its own, so it is never entered and goes
    // as the link, whatever it points to.
    LONG Delete(HKEY parent, const char* name, int depth);

private:
    LONG Empty(HKEY key, int depth);

    REGSAM view_;
    unsigned long bound_;
};

LONG KeyTreeWalk::Delete(HKEY parent, const char* name, int depth)
{
    if (depth > kMaxKeyDepth)
        return ERROR_NOT_ENOUGH_QUOTA;
    UniqueRegKey key;
    REGSAM granted = 0;
    LONG status = OpenToEmpty(parent, name, view_, key, granted);
    if (status == ERROR_SUCCESS)
        status = Empty(key.Get(), depth);
    if (status != ERROR_SUCCESS)
        return status;
    if ((granted & KEY_WRITE) != KEY_WRITE)
        return ERROR_ACCESS_DENIED;
    return DeleteEmptiedKey(parent, name, key.Get());
}

// Each pass deletes the child it found, so index 0 is always the next one;
// a key that gains children as fast as they go is given up after the bound.
LONG KeyTreeWalk::Empty(HKEY key, int depth)
{
    for (unsigned long done = 0;; ++done) {
        char name[kPathBufferSize];
        DWORD length = sizeof name;
        const LONG status = RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS)
            return status;
        if (done >= bound_)
            return ERROR_NOT_ENOUGH_QUOTA;
        const LONG deleted = Delete(key, name, depth + 1);
        if (deleted != ERROR_SUCCESS)
            return deleted;
    }
}

// The key that holds HKLM\subKey, and subKey's last part. The parent is
// reached through links, as Windows' own (CurrentControlSet) must be.
LONG OpenParent(const std::string& subKey, REGSAM view, UniqueRegKey& parent, std::string& name)
{
    const std::size_t slash = subKey.find_last_of('\\');
    if (slash == std::string::npos) {
        name = subKey;
        parent.Reset();
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ | view, parent.Put());
    }
    name = subKey.substr(slash + 1);
    return OpenKey(subKey.substr(0, slash).c_str(), KEY_READ | view, parent);
}

LONG DeleteKeyTree(const char* subKey, REGSAM view, unsigned long bound)
{
    UniqueRegKey parent;
    std::string name;
    const LONG status = OpenParent(subKey, view, parent, name);
    if (status != ERROR_SUCCESS)
        return status;
    return KeyTreeWalk(view, bound).Delete(parent.Get(), name.c_str(), 0);
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

LONG DeleteRegistryItem(const char* subKey, const char* valueName, int view64, unsigned long bound)
{
    const REGSAM view = RegistryViewBits(view64);
    if (valueName == nullptr)
        return DeleteKeyTree(subKey, view, bound);

    // A value goes through a handle to its key opened as itself: through a
    // link planted at the key's name it would be another key's value.
    UniqueRegKey key;
    if (OpenKey(subKey, KEY_SET_VALUE | view, key, KeyLinks::AsLink) == ERROR_SUCCESS)
        RegDeleteValueA(key.Get(), valueName);
    return ERROR_SUCCESS;
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
