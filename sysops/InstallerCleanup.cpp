#include "sysops/InstallerCleanup.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"
#include "sysops/RegistryLink.h"

#include <cstring>
#include <string>
#include <vector>

namespace sysops {
namespace {

constexpr char kUserDataKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData";

// Names are read with this many bytes; longer ones cannot be package A's code.
constexpr DWORD kNameBufferSize = 512;
// Key paths are composed in buffers of this size...
constexpr std::size_t kComposedPathSize = 256;
// ...and remembered for deletion in entries of this size.
constexpr std::size_t kFoundPathSize = 200;
// A scan stops looking at more components and users once it holds this many
// records; the product check of the user at hand may still add one.
constexpr std::size_t kFoundLimit = 100;

// One record to remove: package A's value of a component key (the key goes
// too once nothing else is left in it), or, with no value name, a whole
// Products key.
struct FoundRecord {
    std::string keyPath;
    std::string valueName;
};

// One view's scan: what to look for, where, and what was found there.
struct ViewScan {
    const char* packedCode;
    RegistryView view;
    std::vector<FoundRecord> found;

    bool Full() const { return found.size() >= kFoundLimit; }
};

// A path that does not fit a found-list entry is left alone rather than
// remembered cut short, which would name some other key.
void Remember(ViewScan& scan, const std::string& keyPath, const std::string& valueName)
{
    if (Fits(keyPath.size(), kFoundPathSize))
        scan.found.push_back(FoundRecord{keyPath, valueName});
}

bool ComposeKeyPath(const std::string& parent, const char* name, std::string& out)
{
    return JoinPath(parent, name, out, kComposedPathSize);
}

enum class Listed { Subkeys, Values };

// The name of `key`'s subkey or value number `index`.
LONG ReadName(HKEY key, Listed listed, DWORD index, std::string& name)
{
    char buffer[kNameBufferSize];
    DWORD length = kNameBufferSize;
    const LONG status = listed == Listed::Subkeys
                            ? RegEnumKeyExA(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr)
                            : RegEnumValueA(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        name.assign(buffer, length);
    return status;
}

LONG ReadSubkeyName(HKEY key, DWORD index, std::string& name)
{
    return ReadName(key, Listed::Subkeys, index, name);
}

// The name under which `component` holds the product's value, compared
// without regard to case. A name too long for the buffer is some other
// product's and is passed over; any other failure ends the walk.
bool FindPackageValue(HKEY component, const char* packedCode, std::string& valueName)
{
    std::string name;
    for (DWORD index = 0;; ++index) {
        const LONG status = ReadName(component, Listed::Values, index, name);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return false;
        if (SameText(name, packedCode)) {
            valueName = name;
            return true;
        }
    }
}

// The user's key `part` ("\\Components", "\\Products"), opened as itself.
bool OpenUserPart(const std::string& userPath, const char* part, const ViewScan& scan, std::string& partPath,
                  UniqueRegKey& key)
{
    return AppendText(userPath, part, partPath, kComposedPathSize) &&
           OpenKey(partPath.c_str(), KEY_READ | scan.view.bits, key, KeyLinks::AsLink).Done();
}

// Calls `visit` with the name and path of each subkey of the user's key
// `part` whose name opens it again, until `visit` says it has had enough.
template <typename Visit>
void VisitSubkeys(const std::string& userPath, const char* part, const ViewScan& scan, Visit visit)
{
    std::string partPath;
    UniqueRegKey key;
    if (!OpenUserPart(userPath, part, scan, partPath, key))
        return;
    std::string name;
    std::string path;
    for (DWORD index = 0; ReadSubkeyName(key.Get(), index, name) == ERROR_SUCCESS; ++index) {
        if (KeyNameReopens(name.c_str()) && ComposeKeyPath(partPath, name.c_str(), path) && !visit(name, path))
            return;
    }
}

void FindComponents(const std::string& userPath, ViewScan& scan)
{
    std::string valueName;
    VisitSubkeys(userPath, "\\Components", scan, [&scan, &valueName](const std::string&, const std::string& path) {
        if (scan.Full())
            return false;
        UniqueRegKey component;
        if (OpenKey(path.c_str(), KEY_READ | scan.view.bits, component, KeyLinks::AsLink).Done() &&
            FindPackageValue(component.Get(), scan.packedCode, valueName))
            Remember(scan, path, valueName);
        return true;
    });
}

void FindProduct(const std::string& userPath, ViewScan& scan)
{
    VisitSubkeys(userPath, "\\Products", scan, [&scan](const std::string& name, const std::string& path) {
        if (!SameText(name, scan.packedCode))
            return scan.found.size() <= kFoundLimit;
        Remember(scan, path, std::string());
        return false;
    });
}

// Every enumeration is over before anything is deleted, so no index moves
// under a walk. Keys found here are opened as the links they may be, which
// list nothing and hold no product's value; a user's key that is a link is
// passed over, as the paths through it would lead elsewhere.
void FindRecords(ViewScan& scan)
{
    UniqueRegKey base;
    if (!OpenKey(kUserDataKey, KEY_READ | scan.view.bits, base).Done())
        return;
    std::string user;
    std::string userPath;
    for (DWORD index = 0; !scan.Full() && ReadSubkeyName(base.Get(), index, user) == ERROR_SUCCESS; ++index) {
        UniqueRegKey link;
        if (!KeyNameReopens(user.c_str()) || !ComposeKeyPath(kUserDataKey, user.c_str(), userPath) ||
            OpenIfLink(userPath.c_str(), scan.view.bits, link))
            continue;
        FindComponents(userPath, scan);
        FindProduct(userPath, scan);
    }
}

// Last found first: the order the records are removed in.
void AppendRecords(const ViewScan& scan, std::vector<InstallerRecord>& records)
{
    for (auto found = scan.found.rbegin(); found != scan.found.rend(); ++found) {
        InstallerRecord record;
        record.keyPath = found->keyPath;
        record.valueName = found->valueName;
        record.view = scan.view;
        record.dropEmptyKey = !found->valueName.empty();
        records.push_back(record);
    }
}

void FindInView(const char* packedCode, RegistryView view, std::vector<InstallerRecord>& records)
{
    ViewScan scan{packedCode, view, {}};
    FindRecords(scan);
    AppendRecords(scan, records);
}

bool Contains(const char* text, const char* part)
{
    // An empty part would match every folder entry of every product.
    return part != nullptr && *part != '\0' && std::strstr(text, part) != nullptr;
}

// Whether `name` is `folder` or a path below it, compared whole component
// by component: "C:\Morvane" is not "C:\Morvane2\". A trailing backslash
// of `folder` does not count; an empty folder matches nothing.
bool IsFolderOrBelow(const char* name, const char* folder)
{
    if (folder == nullptr)
        return false;
    std::size_t length = std::strlen(folder);
    while (length > 0 && folder[length - 1] == '\\')
        --length;
    if (length == 0 || std::strncmp(name, folder, length) != 0)
        return false;
    return name[length] == '\0' || name[length] == '\\';
}

bool IsProductFolder(const char* name, const std::string& installDir, const std::vector<std::string>& menuDirs,
                     const char* productCode)
{
    if (IsFolderOrBelow(name, installDir.c_str()) || Contains(name, productCode))
        return true;
    for (const std::string& menuDir : menuDirs) {
        if (IsFolderOrBelow(name, menuDir.c_str()))
            return true;
    }
    return false;
}

DWORD ValueCount(HKEY key)
{
    DWORD count = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return count;
}

}  // namespace

// Each view is a scan of its own, with its own limit of records.
std::vector<InstallerRecord> FindInstallerUserData(const char* packedCode, const std::vector<RegistryView>& views)
{
    std::vector<InstallerRecord> records;
    for (const RegistryView view : views)
        FindInView(packedCode, view, records);
    return records;
}

// Every value is read before any goes, so no index moves under the walk; a
// name read back through the ANSI code page with '?' in it names no value,
// and the values after it are still read.
std::vector<InstallerRecord> FindInstallerFolders(const char* folderKeyPath, RegistryView view,
                                                  const std::string& installDir,
                                                  const std::vector<std::string>& menuDirs, const char* productCode)
{
    std::vector<InstallerRecord> records;
    UniqueRegKey key;
    if (!OpenKey(folderKeyPath, KEY_QUERY_VALUE | view.bits, key).Done())
        return records;
    const DWORD count = ValueCount(key.Get());
    std::string name;
    for (DWORD index = 0; index < count; ++index) {
        if (ReadName(key.Get(), Listed::Values, index, name) == ERROR_SUCCESS &&
            IsProductFolder(name.c_str(), installDir, menuDirs, productCode))
            records.push_back(InstallerRecord{folderKeyPath, name, view, false});
    }
    return records;
}

// A key found by a scan may be a link: it goes as the link only.
Result RemoveInstallerRecord(const InstallerRecord& record)
{
    const char* keyPath = record.keyPath.c_str();
    if (record.valueName.empty())
        return DeleteRegistryItem(keyPath, nullptr, record.view);
    Result result = DeleteRegistryItem(keyPath, record.valueName.c_str(), record.view);
    if (record.dropEmptyKey && IsRegistryKeyEmpty(keyPath, record.view))
        DeleteRegistryItem(keyPath, nullptr, record.view);
    return result;
}

namespace {

Result RemoveAll(const std::vector<InstallerRecord>& records)
{
    Result first;
    for (const InstallerRecord& record : records) {
        const Result result = RemoveInstallerRecord(record);
        if (first.Done())
            first = result;
    }
    return first;
}

}  // namespace

Result CleanInstallerUserData(const char* packedCode, const std::vector<RegistryView>& views)
{
    return RemoveAll(FindInstallerUserData(packedCode, views));
}

Result CleanInstallerFolders(const char* folderKeyPath, RegistryView view, const char* installDir, const char* menuDir,
                             const char* productCode)
{
    const std::string install = installDir != nullptr ? installDir : "";
    const std::vector<std::string> menus = {menuDir != nullptr ? menuDir : ""};
    return RemoveAll(FindInstallerFolders(folderKeyPath, view, install, menus, productCode));
}

}  // namespace sysops
