#include "sysops/Ownership.h"

#include "sysops/Handles.h"
#include "sysops/PathIdentity.h"
#include "sysops/SystemCalls.h"

#include <cstring>
#include <vector>

namespace sysops {
namespace {

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

// The account this program runs as (a TOKEN_USER).
bool ReadOwnAccount(std::vector<BYTE>& user)
{
    const SystemCalls& calls = Calls();
    UniqueKernelHandle token;
    if (!calls.HasSecurity() || !calls.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()))
        return false;
    DWORD size = 0;
    calls.getTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    user.assign(size, 0);
    return size != 0 && calls.getTokenInformation(token.Get(), TokenUser, user.data(), size, &size);
}

const void* AccountSid(const std::vector<BYTE>& user)
{
    return reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
}

bool IsTrusted(const void* sid, const void* ownAccount)
{
    return SameSid(sid, &kSystem) || SameSid(sid, &kAdministrators) || SameSid(sid, &kTrustedInstaller) ||
           SameSid(sid, ownAccount);
}

// The rights by which an account other than the trusted ones could change
// the object or what it holds. Generic write and generic all bring them.
ACCESS_MASK ChangingRights(ObjectKind kind)
{
    constexpr ACCESS_MASK kEveryKind = DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    switch (kind) {
    case ObjectKind::RegistryKey: return kEveryKind | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK;
    // Creating entries in a drive's root changes nothing on the way to an
    // existing folder: the names taken stay taken.
    case ObjectKind::DriveRoot: return DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_ALL | FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD;
    case ObjectKind::File:
    case ObjectKind::Folder: break;
    }
    // Writing attributes is enough to turn an empty folder into a link.
    return kEveryKind | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD;
}

bool IsDenyOrAudit(BYTE type)
{
    switch (type) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        return false;
    default:
        return true;
    }
}

// Whether an entry lets some untrusted account change the object. Entries
// that only pass on to new children do not count. Only the plain entry's
// account is read here; any other kind that grants a changing right counts.
bool EntryLetsOthersChange(const ACE_HEADER* ace, const void* ownAccount, ACCESS_MASK changing)
{
    if ((ace->AceFlags & INHERIT_ONLY_ACE) != 0 || IsDenyOrAudit(ace->AceType))
        return false;
    const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if ((allowed->Mask & changing) == 0)
        return false;
    return ace->AceType != ACCESS_ALLOWED_ACE_TYPE || !IsTrusted(&allowed->SidStart, ownAccount);
}

// The object's owner and access list, read once through its handle.
struct Security {
    std::vector<BYTE> descriptor;
    std::vector<BYTE> ownAccount;
    PSID owner = nullptr;
    PACL dacl = nullptr;  // null: none, so everybody may do everything
};

bool ReadSecurity(HANDLE handle, Security& security)
{
    const SystemCalls& calls = Calls();
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    if (!ReadOwnAccount(security.ownAccount))
        return false;
    calls.getKernelObjectSecurity(handle, wanted, nullptr, 0, &size);
    security.descriptor.assign(size, 0);
    if (size == 0 || !calls.getKernelObjectSecurity(handle, wanted, security.descriptor.data(), size, &size))
        return false;
    BOOL defaulted = FALSE;
    BOOL present = FALSE;
    if (!calls.getSecurityDescriptorOwner(security.descriptor.data(), &security.owner, &defaulted) ||
        !calls.getSecurityDescriptorDacl(security.descriptor.data(), &present, &security.dacl, &defaulted))
        return false;
    if (!present)
        security.dacl = nullptr;
    return true;
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

bool RunsAsSystem()
{
    std::vector<BYTE> own;
    return IsNtFamily() && ReadOwnAccount(own) && SameSid(AccountSid(own), &kSystem);
}

bool OwnedByAdministrators(HANDLE handle)
{
    Security security;
    return ReadSecurity(handle, security) && IsTrusted(security.owner, AccountSid(security.ownAccount));
}

bool OnlyAdministratorsMayChange(HANDLE handle, ObjectKind kind)
{
    // A handle let go of reads as the pseudo-handle of this very process,
    // whose security would say yes.
    Security security;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !ReadSecurity(handle, security) ||
        security.dacl == nullptr)
        return false;
    const void* ownAccount = AccountSid(security.ownAccount);
    if (!IsTrusted(security.owner, ownAccount))
        return false;
    const ACCESS_MASK changing = ChangingRights(kind);
    for (DWORD index = 0; index < security.dacl->AceCount; ++index) {
        void* ace = nullptr;
        if (!Calls().getAce(security.dacl, index, &ace) ||
            EntryLetsOthersChange(static_cast<ACE_HEADER*>(ace), ownAccount, changing))
            return false;
    }
    return true;
}

}  // namespace sysops
