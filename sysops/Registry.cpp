#include "sysops/Registry.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/RegistryLink.h"

#include <cstring>
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
Result OpenToEmpty(HKEY parent, const char* name, REGSAM view, UniqueRegKey& key, REGSAM& granted)
{
    const DWORD options = RegistryLinksExist() ? REG_OPTION_OPEN_LINK : 0;
    LONG status = ERROR_ACCESS_DENIED;
    for (const REGSAM access : kEmptyingRights) {
        status = RegOpenKeyExA(parent, name, options, access | view, key.Put());
        granted = access;
        if (status != ERROR_ACCESS_DENIED)
            break;
    }
    return Result::Error(static_cast<unsigned long>(status));
}

// Deletes `key`, which has no subkeys left, through its own handle on NT:
// the key itself, or the link itself when it was opened as one, whatever
// its name has meanwhile come to lead to. The 9x family's registry has no
// links, and deletes by name below the parent.
Result DeleteEmptiedKey(HKEY parent, const char* name, HKEY key)
{
    if (!RegistryLinksExist())
        return Result::Error(static_cast<unsigned long>(RegDeleteKeyA(parent, name)));
    return DeleteOpenedKey(key);
}

// What a key must have been opened with for DeleteEmptiedKey: its own
// handle deletes it on NT, its parent's (written) on 9x.
REGSAM DeletingRight()
{
    return RegistryLinksExist() ? REGSAM(DELETE) : REGSAM(KEY_WRITE);
}

class KeyTreeWalk {
public:
    KeyTreeWalk(REGSAM view, unsigned long bound) : view_(view), bound_(bound) {}

    // Empties the key `name` below `parent` and deletes it. Every key below
    // is opened relative to its parent's handle and as itself: a symbolic
    // link there has no subkeys of its own, so it is never entered and goes
    // as the link, whatever it points to.
    Result Delete(HKEY parent, const char* name, int depth);

private:
    Result Empty(HKEY key, int depth);

    REGSAM view_;
    unsigned long bound_;
    unsigned long keysLeft_ = kMaxKeysOfOneTree;
};

Result KeyTreeWalk::Delete(HKEY parent, const char* name, int depth)
{
    if (depth > kMaxKeyDepth)
        return Result::Error(ERROR_NOT_ENOUGH_QUOTA);
    UniqueRegKey key;
    REGSAM granted = 0;
    Result result = OpenToEmpty(parent, name, view_, key, granted);
    if (result.Done())
        result = Empty(key.Get(), depth);
    if (!result.Done())
        return result;
    if ((granted & DeletingRight()) != DeletingRight())
        return Result::Error(ERROR_ACCESS_DENIED);
    return DeleteEmptiedKey(parent, name, key.Get());
}

// Each pass deletes the child it found, so index 0 is always the next one;
// a key that gains children as fast as they go is given up after the bound.
Result KeyTreeWalk::Empty(HKEY key, int depth)
{
    for (unsigned long done = 0;; ++done) {
        char name[kPathBufferSize];
        DWORD length = sizeof name;
        const LONG status = RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return Result::Ok();
        if (status != ERROR_SUCCESS)
            return Result::Error(static_cast<unsigned long>(status));
        if (done >= bound_ || keysLeft_ == 0)
            return Result::Error(ERROR_NOT_ENOUGH_QUOTA);
        --keysLeft_;
        if (!KeyNameReopens(name))
            return Result::Error(ERROR_INVALID_NAME);
        const Result deleted = Delete(key, name, depth + 1);
        if (!deleted.Done())
            return deleted;
    }
}

// The key that holds HKLM\subKey, and subKey's last part. The parent is
// reached through links, as Windows' own (CurrentControlSet) must be.
Result OpenParent(const std::string& subKey, REGSAM view, UniqueRegKey& parent, std::string& name)
{
    const std::size_t slash = subKey.find_last_of('\\');
    if (slash == std::string::npos) {
        name = subKey;
        parent.Reset();
        return Result::Error(
            static_cast<unsigned long>(RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ | view, parent.Put())));
    }
    name = subKey.substr(slash + 1);
    return OpenKey(subKey.substr(0, slash).c_str(), KEY_READ | view, parent);
}

Result DeleteKeyTree(const char* subKey, REGSAM view, unsigned long bound)
{
    UniqueRegKey parent;
    std::string name;
    const Result opened = OpenParent(subKey, view, parent, name);
    return opened.Done() ? KeyTreeWalk(view, bound).Delete(parent.Get(), name.c_str(), 0) : opened;
}

}  // namespace

bool KeyNameReopens(const char* name)
{
    return std::strpbrk(name, "\\?") == nullptr;
}

Result OpenKey(const char* subKey, REGSAM access, UniqueRegKey& key, KeyLinks links)
{
    const DWORD options = links == KeyLinks::AsLink && RegistryLinksExist() ? REG_OPTION_OPEN_LINK : 0;
    return Result::Error(static_cast<unsigned long>(RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, options, access, key.Put())));
}

Result DeleteRegistryItem(const char* subKey, const char* valueName, RegistryView view, unsigned long bound)
{
    if (valueName == nullptr)
        return DeleteKeyTree(subKey, view.bits, bound);

    // A value goes through a handle to its key opened as itself: through a
    // link planted at the key's name it would be another key's value. A
    // value or key that is not there is nothing to do.
    UniqueRegKey key;
    if (!OpenKey(subKey, KEY_SET_VALUE | view.bits, key, KeyLinks::AsLink).Done())
        return Result::Ok();
    const LONG status = RegDeleteValueA(key.Get(), valueName);
    return status == ERROR_FILE_NOT_FOUND ? Result::Ok() : Result::Error(static_cast<unsigned long>(status));
}

bool IsRegistryKeyEmpty(const char* subKey, RegistryView view)
{
    UniqueRegKey key;
    if (!OpenKey(subKey, KEY_QUERY_VALUE | view.bits, key).Done())
        return false;
    DWORD subkeys = 0;
    DWORD values = 1;
    const LONG status = RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                         nullptr, nullptr, nullptr, nullptr);
    return status == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

}  // namespace sysops
