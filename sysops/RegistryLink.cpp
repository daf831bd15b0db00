#include "sysops/RegistryLink.h"

#include "sysops/Registry.h"
#include "sysops/SystemLibrary.h"

namespace sysops {
namespace {

constexpr char kLinkValueName[] = "SymbolicLinkValue";

using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
using NtStatusToErrorFn = ULONG(NTAPI*)(LONG);

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
    if (OpenKey(path, KEY_QUERY_VALUE | DELETE | view, link, KeyLinks::AsLink) != ERROR_SUCCESS &&
        OpenKey(path, KEY_QUERY_VALUE | view, link, KeyLinks::AsLink) != ERROR_SUCCESS)
        return false;
    if (HoldsLinkValue(link.Get()))
        return true;
    link.Reset();
    return false;
}

// A handle deletes the key it was opened as, where RegDeleteKey would open
// the name again, through any link. ntdll is there on every NT and nowhere
// on the 9x family, so its calls are looked up rather than imported.
LONG DeleteOpenedKey(HKEY key)
{
    static const auto deleteKey = LookUpLoaded<NtDeleteKeyFn>("ntdll.dll", "NtDeleteKey");
    static const auto toError = LookUpLoaded<NtStatusToErrorFn>("ntdll.dll", "RtlNtStatusToDosError");
    if (deleteKey == nullptr || toError == nullptr)
        return ERROR_CALL_NOT_IMPLEMENTED;
    const LONG status = deleteKey(key);
    return status == 0 ? ERROR_SUCCESS : static_cast<LONG>(toError(status));
}

}  // namespace sysops
