#include "sysops/RegistryLink.h"

#include "sysops/Registry.h"
#include "sysops/SystemCalls.h"

namespace sysops {
namespace {

constexpr char kLinkValueName[] = "SymbolicLinkValue";

bool HoldsLinkValue(HKEY key)
{
    DWORD type = REG_NONE;
    return RegQueryValueExA(key, kLinkValueName, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

}  // namespace

bool RegistryLinksExist()
{
    return (GetVersion() & 0x80000000u) == 0;
}

bool OpenIfLink(const char* path, REGSAM view, UniqueRegKey& link)
{
    if (!RegistryLinksExist())
        return false;
    // Without the right to delete, a link is still recognised, and then stays.
    if (!OpenKey(path, KEY_QUERY_VALUE | DELETE | view, link, KeyLinks::AsLink).Done() &&
        !OpenKey(path, KEY_QUERY_VALUE | view, link, KeyLinks::AsLink).Done())
        return false;
    if (HoldsLinkValue(link.Get()))
        return true;
    link.Reset();
    return false;
}

// A handle deletes the key it was opened as, where RegDeleteKey would open
// the name again, through any link. ntdll is there on every NT and nowhere
// on the 9x family, so its calls are looked up rather than imported.
Result DeleteOpenedKey(HKEY key)
{
    const SystemCalls& calls = Calls();
    if (calls.ntDeleteKey == nullptr || calls.rtlNtStatusToDosError == nullptr)
        return Result::Error(ERROR_CALL_NOT_IMPLEMENTED);
    const NTSTATUS status = calls.ntDeleteKey(key);
    return status == 0 ? Result::Ok() : Result::Error(calls.rtlNtStatusToDosError(status));
}

}  // namespace sysops
