#include "uninstall/InstallDirGuard.h"

#include "sysops/FsRedirection.h"
#include "sysops/PathIdentity.h"
#include "sysops/PathText.h"
#include "sysops/Presence.h"
#include "sysops/Registry.h"
#include "sysops/SystemFolders.h"

#include <windows.h>

#include <vector>

namespace uninstall {
namespace {

// How much around a protected folder is refused: the folder and every
// folder holding it; for the folders of Windows, of the users' profiles and
// of the data other software shares, everything inside as well.
enum class Reach { FolderAndAbove, AlsoInside };

struct ProtectedFolder {
    std::string path;
    Reach reach;
};
using ProtectedFolders = std::vector<ProtectedFolder>;

constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kProfileList[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

struct RegistryFolder {
    const char* key;
    const char* value;
    Reach reach;
};

// Read in both registry views: each names its own program-files folders.
constexpr RegistryFolder kRegistryFolders[] = {
    {kCurrentVersion, "ProgramFilesDir", Reach::FolderAndAbove},
    {kCurrentVersion, "ProgramFilesDir (x86)", Reach::FolderAndAbove},
    {kCurrentVersion, "ProgramW6432Dir", Reach::FolderAndAbove},
    {kCurrentVersion, "CommonFilesDir", Reach::AlsoInside},
    {kCurrentVersion, "CommonFilesDir (x86)", Reach::AlsoInside},
    {kCurrentVersion, "CommonW6432Dir", Reach::AlsoInside},
    {kShellFolders, "Common AppData", Reach::AlsoInside},
    {kProfileList, "ProfilesDirectory", Reach::AlsoInside},
    {kProfileList, "ProgramData", Reach::AlsoInside},
    {kProfileList, "Public", Reach::AlsoInside},
    {kProfileList, "Default", Reach::AlsoInside},
};

// Before Vista these name the all-users and default profiles inside the
// profiles directory.
constexpr const char* kProfileNames[] = {"AllUsersProfile", "DefaultUserProfile"};

// Each user's profile lies where its ProfileList entry says, which need not
// be inside the profiles directory.
constexpr char kProfileImagePath[] = "ProfileImagePath";

// What Windows keeps in the root of every drive.
constexpr const char* kDriveFolders[] = {"System Volume Information", "$Recycle.Bin", "RECYCLER", "RECYCLED"};

// Environment variables naming the same folders as the process sees them.
constexpr const char* kProgramFilesVariables[] = {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"};
constexpr const char* kSystemVariables[] = {"SystemRoot", "windir", "CommonProgramFiles", "CommonProgramFiles(x86)",
                                            "CommonProgramW6432", "ProgramData", "ALLUSERSPROFILE", "PUBLIC",
                                            "USERPROFILE"};

// Past "X:\" none of these belongs in a folder path: another path syntax,
// a stream or device name, a wildcard, what no file name may hold.
constexpr char kRefusedCharacters[] = "/:*?\"<>|";

// No file name holds a control character (a line break, say).
bool HoldsControlCharacters(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
    }
    return false;
}

using Components = std::vector<std::string>;

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Windows drops a trailing dot or space from a component: "C:\Windows."
// is the Windows directory.
bool IsPlainComponent(const std::string& part)
{
    return part != "." && part != ".." && (part.empty() || (part.back() != '.' && part.back() != ' '));
}

// The components of a plain path on a local drive, the drive ("C:") first;
// empty for any other text (relative, a share, a device or "\\?\" path).
Components Split(const std::string& path)
{
    if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\' ||
        path.find_first_of(kRefusedCharacters, 2) != std::string::npos || HoldsControlCharacters(path))
        return {};
    Components parts = {path.substr(0, 2)};
    for (std::size_t pos = 3; pos < path.size();) {
        std::size_t end = path.find('\\', pos);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(pos, end - pos);
        if (!IsPlainComponent(part))
            return {};
        if (!part.empty())
            parts.push_back(part);
        pos = end + 1;
    }
    return parts;
}

// Whether `outer` is `inner` or one of the folders holding it.
bool Holds(const Components& outer, const Components& inner)
{
    if (outer.empty() || outer.size() > inner.size())
        return false;
    for (std::size_t i = 0; i < outer.size(); ++i) {
        if (!sysops::SameText(outer[i], inner[i]))
            return false;
    }
    return true;
}

void Add(ProtectedFolders& folders, const std::string& path, Reach reach)
{
    std::string canonical;
    if (!sysops::CanonicalPath(path, canonical))
        canonical = path;
    folders.push_back({canonical, reach});
}

void AddFromSystem(const RunPaths& paths, ProtectedFolders& folders)
{
    for (const std::string* dir : {&paths.windowsDir, &paths.systemDir32, &paths.systemDir64}) {
        if (!dir->empty())
            Add(folders, *dir, Reach::AlsoInside);
    }
    if (!paths.programFilesDir.empty())
        Add(folders, paths.programFilesDir, Reach::FolderAndAbove);
    std::string dir;
    if (sysops::ReadWindowsDirectory(dir))
        Add(folders, dir, Reach::AlsoInside);
    if (sysops::ReadSystemDirectory(dir))
        Add(folders, dir, Reach::AlsoInside);
}

void AddProfiles(sysops::RegistryView view, ProtectedFolders& folders)
{
    std::string profiles;
    if (sysops::ReadFolderValue(kProfileList, "ProfilesDirectory", view, profiles)) {
        for (const char* name : kProfileNames) {
            std::string profile;
            std::string dir;
            if (sysops::ReadFolderValue(kProfileList, name, view, profile) && sysops::JoinPath(profiles, profile.c_str(), dir))
                Add(folders, dir, Reach::AlsoInside);
        }
    }
    std::vector<std::string> accounts;
    unsigned long values = 0;
    if (!sysops::ReadKeyContents(kProfileList, view, accounts, values))
        return;
    for (const std::string& account : accounts) {
        std::string key;
        std::string dir;
        if (sysops::JoinPath(kProfileList, account.c_str(), key) &&
            sysops::ReadFolderValue(key.c_str(), kProfileImagePath, view, dir))
            Add(folders, dir, Reach::AlsoInside);
    }
}

void AddFromRegistry(bool is64BitWindows, ProtectedFolders& folders)
{
    for (const int view64 : {0, 1}) {
        const sysops::RegistryView view = sysops::RegistryView::Of(is64BitWindows, view64);
        for (const RegistryFolder& row : kRegistryFolders) {
            std::string dir;
            if (sysops::ReadFolderValue(row.key, row.value, view, dir))
                Add(folders, dir, row.reach);
        }
        AddProfiles(view, folders);
    }
}

void AddFromEnvironment(ProtectedFolders& folders)
{
    std::string dir;
    for (const char* name : kProgramFilesVariables) {
        if (sysops::ReadEnvironment(name, dir))
            Add(folders, dir, Reach::FolderAndAbove);
    }
    for (const char* name : kSystemVariables) {
        if (sysops::ReadEnvironment(name, dir))
            Add(folders, dir, Reach::AlsoInside);
    }
}

ProtectedFolders FoldersOfThisMachine(const RunPaths& paths, bool is64BitWindows)
{
    ProtectedFolders folders;
    AddFromSystem(paths, folders);
    AddFromRegistry(is64BitWindows, folders);
    AddFromEnvironment(folders);
    return folders;
}

bool ClashesByName(const Components& tree, const ProtectedFolders& folders)
{
    for (const ProtectedFolder& folder : folders) {
        const Components held = Split(folder.path);
        if (Holds(tree, held) || (folder.reach == Reach::AlsoInside && Holds(held, tree)))
            return true;
    }
    return false;
}

using Identities = std::vector<sysops::FileIdentity>;

// What the drive's root and each folder down to the whole path are, for
// those that can be opened.
Identities Lineage(const Components& parts)
{
    Identities lineage;
    std::string path;
    for (const std::string& part : parts) {
        path.append(part).push_back('\\');
        sysops::FileIdentity identity;
        if (sysops::ReadFileIdentity(path, identity))
            lineage.push_back(identity);
    }
    return lineage;
}

// What the chain holds, the drive's root first.
Identities Lineage(const sysops::FolderChain& chain)
{
    Identities lineage;
    for (std::size_t i = 0; i < chain.Depth(); ++i)
        lineage.push_back(chain.Identity(i));
    return lineage;
}

bool Contains(const Identities& lineage, const sysops::FileIdentity& identity)
{
    for (const sysops::FileIdentity& entry : lineage) {
        if (entry == identity)
            return true;
    }
    return false;
}

// The same tests by identity, on what the chain holds: a short name, a
// substituted drive or a mount point above the tree shows here what it names.
bool ClashesByIdentity(const sysops::FolderChain& chain, const ProtectedFolders& folders)
{
    const Identities treeLineage = Lineage(chain);
    const bool treeKnown = chain.State() == sysops::ChainState::Held;
    for (const ProtectedFolder& folder : folders) {
        sysops::FileIdentity identity;
        if (folder.reach == Reach::AlsoInside && sysops::ReadFileIdentity(folder.path, identity) &&
            Contains(treeLineage, identity))
            return true;
        if (treeKnown && Contains(Lineage(Split(folder.path)), treeLineage.back()))
            return true;
    }
    return false;
}

bool IsDriveFolder(const Components& tree)
{
    for (const char* name : kDriveFolders) {
        if (sysops::SameText(tree[1], name))
            return true;
    }
    return false;
}

// Network, removable and substituted-away drives are no place the product
// installs to, and looking there would make the machine's account reach out.
bool IsFixedDrive(const std::string& path)
{
    const std::string root = path.substr(0, 3);
    return GetDriveTypeA(root.c_str()) == DRIVE_FIXED;
}

constexpr char kNotPlain[] = "not a plain folder below the root of a drive";
constexpr char kNotFixed[] = "not on a fixed local drive";
constexpr char kNoName[] = "its full name cannot be read";
constexpr char kProtected[] = "a folder of Windows, of other software or of users, or one holding such a folder";
constexpr char kLinked[] = "a folder on its way is a link, or cannot be opened as a folder";

// The install directory's long name, asked for only as far as the chain
// holds it: below a folder that is not there, anybody may make one, a link
// to a server among them, before the file system is asked. The part not
// there is taken as it is spelt.
bool HeldLongName(const sysops::FolderChain& chain, std::string& canonical)
{
    const std::string& path = chain.Path();
    if (chain.State() != sysops::ChainState::Missing || chain.Depth() == 0)
        return sysops::CanonicalPath(path, canonical);
    const std::string held = sysops::FolderPrefixes(path)[chain.Depth() - 1];
    if (!sysops::CanonicalPath(held, canonical))
        return false;
    const std::size_t tail = held.size() + (held.back() == '\\' ? 0 : 1);
    if (canonical.back() != '\\')
        canonical.push_back('\\');
    canonical += path.substr(tail);
    return true;
}

InstallTreeVerdict Refusal(const char* why)
{
    return InstallTreeVerdict{std::nullopt, why};
}

}  // namespace

InstallTreeVerdict JudgeInstallTree(const std::string& installDir, const RunPaths& paths, bool is64BitWindows)
{
    if (Split(installDir).size() < 2)
        return Refusal(kNotPlain);
    if (!IsFixedDrive(installDir))
        return Refusal(kNotFixed);
    // Held first, links refused: asking the file system for the long names
    // below a link could lead anywhere, a server included.
    sysops::FolderChain chain;
    if (chain.Hold(installDir) == sysops::ChainState::Refused)
        return Refusal(kLinked);
    std::string canonical;
    if (!HeldLongName(chain, canonical))
        return Refusal(kNoName);
    const Components tree = Split(canonical);
    if (tree.size() < 2)
        return Refusal(kNotPlain);
    const ProtectedFolders folders = FoldersOfThisMachine(paths, is64BitWindows);
    if (IsDriveFolder(tree) || ClashesByName(tree, folders))
        return Refusal(kProtected);
    if (sysops::IsNtFamily()) {
        // Paths as they are named: "system32" is the native one, not SysWOW64.
        const sysops::ScopedFsRedirectionOff redirection(is64BitWindows);
        if (ClashesByIdentity(chain, folders))
            return Refusal(kProtected);
    }
    return InstallTreeVerdict{AcceptedTree(installDir, std::move(chain)), std::string()};
}

}  // namespace uninstall
