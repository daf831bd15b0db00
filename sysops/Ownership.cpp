#include "sysops/Ownership.h"

#include "sysops/Handles.h"
#include "sysops/PathIdentity.h"
#include "sysops/SystemLibrary.h"

#include <cstring>
#include <vector>

namespace sysops {
namespace {

// The security calls exist on the NT family only (stubs or nothing on 98),
// so they are looked up by name, once.
struct SecurityCalls {
    decltype(&::GetKernelObjectSecurity) getObjectSecurity;
    decltype(&::GetSecurityDescriptorOwner) getOwner;
    decltype(&::GetSecurityDescriptorDacl) getDacl;
    decltype(&::GetAce) getAce;
    decltype(&::OpenProcessToken) openProcessToken;
    decltype(&::GetTokenInformation) getTokenInformation;

    bool Complete() const
    {
        return getObjectSecurity != nullptr && getOwner != nullptr && getDacl != nullptr && getAce != nullptr &&
               openProcessToken != nullptr && getTokenInformation != nullptr;
    }
};

const SecurityCalls& Calls()
{
    static const SecurityCalls calls = {
        LookUpLoaded<decltype(&::GetKernelObjectSecurity)>("advapi32.dll", "GetKernelObjectSecurity"),
        LookUpLoaded<decltype(&::GetSecurityDescriptorOwner)>("advapi32.dll", "GetSecurityDescriptorOwner"),
        LookUpLoaded<decltype(&::GetSecurityDescriptorDacl)>("advapi32.dll", "GetSecurityDescriptorDacl"),
        LookUpLoaded<decltype(&::GetAce)>("advapi32.dll", "GetAce"),
        LookUpLoaded<decltype(&::OpenProcessToken)>("advapi32.dll", "OpenProcessToken"),
        LookUpLoaded<decltype(&::GetTokenInformation)>("advapi32.dll", "GetTokenInformation"),
    };
    return calls;
}

// A security identifier as it lies in memory: revision, number of
// sub-authorities, the authority, then the sub-authorities.
struct KnownSid {
    BYTE revision;
    BYTE count;
    BYTE authority[6];
    DWORD sub[6];
};

constexpr KnownSid kSystem = {1, 1, {0, 0, 0, 0, 0, 5}, {18}};
constexpr KnownSid kAdministrators = {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}};
constexpr KnownSid kTrustedInstaller = {
    1, 6, {0, 0, 0, 0, 0, 5}, {80, 956008885u, 3418522649u, 1831038044u, 1853292631u, 2271478464u}};

std::size_t SidLength(const void* sid)
{
    return 8 + 4 * static_cast<const BYTE*>(sid)[1];
}

bool SameSid(const void* a, const void* b)
{
    return a != nullptr && b != nullptr && SidLength(a) == SidLength(b) && std::memcmp(a, b, SidLength(a)) == 0;
}

// The account this program runs as.
bool ReadOwnAccount(std::vector<BYTE>& user)
{
    const SecurityCalls& calls = Calls();
    UniqueKernelHandle token;
    if (!calls.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()))
        return false;
    DWORD size = 0;
    calls.getTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    user.assign(size, 0);
    return size != 0 && calls.getTokenInformation(token.Get(), TokenUser, user.data(), size, &size);
}

bool IsTrusted(const void* sid, const void* ownAccount)
{
    return SameSid(sid, &kSystem) || SameSid(sid, &kAdministrators) || SameSid(sid, &kTrustedInstaller) ||
           SameSid(sid, ownAccount);
}

// The rights that change a file or folder or what it holds. Generic write
// brings writing and appending; generic all brings everything.
constexpr ACCESS_MASK kAddingRights = FILE_WRITE_DATA | FILE_APPEND_DATA;  // add file, add folder
constexpr ACCESS_MASK kChangingRights =
    FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_ALL;

bool GrantsChange(ACCESS_MASK mask, Adding adding)
{
    const ACCESS_MASK adds = kAddingRights | GENERIC_WRITE;
    return (mask & kChangingRights) != 0 || (adding == Adding::Refused && (mask & adds) != 0);
}

bool IsDenyOrAudit(BYTE type)
{
    switch (type) {
    case ACCESS_DENIED_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
    case SYSTEM_ALARM_ACE_TYPE:
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
    case SYSTEM_AUDIT_OBJECT_ACE_TYPE:
    case SYSTEM_ALARM_OBJECT_ACE_TYPE:
        return true;
    default:
        // Callback, label and policy entries are not understood here; an
        // entry that grants is judged by its rights alone.
        return type > ACCESS_ALLOWED_OBJECT_ACE_TYPE && type != ACCESS_ALLOWED_CALLBACK_ACE_TYPE &&
               type != ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
    }
}

// Whether an entry lets some untrusted account change the object.
bool EntryLetsOthersChange(const ACE_HEADER* ace, const void* ownAccount, Adding adding)
{
    if ((ace->AceFlags & INHERIT_ONLY_ACE) != 0 || IsDenyOrAudit(ace->AceType))
        return false;
    const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if (!GrantsChange(allowed->Mask, adding))
        return false;
    // Only the plain entry names its account where this reads it.
    return ace->AceType != ACCESS_ALLOWED_ACE_TYPE || !IsTrusted(&allowed->SidStart, ownAccount);
}

bool ReadSecurity(HANDLE handle, std::vector<BYTE>& descriptor)
{
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    Calls().getObjectSecurity(handle, wanted, nullptr, 0, &size);
    descriptor.assign(size, 0);
    return size != 0 && Calls().getObjectSecurity(handle, wanted, descriptor.data(), size, &size);
}

}  // namespace

bool KeepsAccessLists(const std::string& root)
{
    if (!IsNtFamily())
        return false;
    DWORD flags = 0;
    return GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_PERSISTENT_ACLS) != 0;
}

bool OwnedByAdministrators(HANDLE handle)
{
    std::vector<BYTE> own;
    std::vector<BYTE> descriptor;
    if (!Calls().Complete() || !ReadOwnAccount(own) || !ReadSecurity(handle, descriptor))
        return false;
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    return Calls().getOwner(descriptor.data(), &owner, &defaulted) &&
           IsTrusted(owner, reinterpret_cast<const TOKEN_USER*>(own.data())->User.Sid);
}

bool OnlyAdministratorsMayChange(HANDLE handle, Adding adding)
{
    const SecurityCalls& calls = Calls();
    std::vector<BYTE> own;
    std::vector<BYTE> descriptor;
    if (!calls.Complete() || !ReadOwnAccount(own) || !ReadSecurity(handle, descriptor))
        return false;
    if (!OwnedByAdministrators(handle))
        return false;
    const void* ownAccount = reinterpret_cast<const TOKEN_USER*>(own.data())->User.Sid;
    BOOL defaulted = FALSE;
    BOOL present = FALSE;
    PACL dacl = nullptr;
    // Without an access list everybody may do everything.
    if (!calls.getDacl(descriptor.data(), &present, &dacl, &defaulted) || !present || dacl == nullptr)
        return false;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* ace = nullptr;
        if (!calls.getAce(dacl, index, &ace) || EntryLetsOthersChange(static_cast<ACE_HEADER*>(ace), ownAccount, adding))
            return false;
    }
    return true;
}

}  // namespace sysops
