#include "uninstall/InstallDirGuard.h"

#include "sysops/FsRedirection.h"
#include "sysops/PathIdentity.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"
#include "sysops/SystemFolders.h"

#include <vector>

namespace uninstall {
namespace {

// How much around a protected folder is refused: the folder and every
// folder holding it; for the folders of Windows and of the users' profiles,
// everything inside as well.
enum class Reach { FolderAndAbove, AlsoInside };

struct ProtectedFolder {
    std::string path;
    Reach reach;
};
using ProtectedFolders = std::vector<ProtectedFolder>;

constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
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
    {kCurrentVersion, "CommonFilesDir", Reach::FolderAndAbove},
    {kCurrentVersion, "CommonFilesDir (x86)", Reach::FolderAndAbove},
    {kProfileList, "ProfilesDirectory", Reach::AlsoInside},
    {kProfileList, "ProgramData", Reach::FolderAndAbove},
    {kProfileList, "Public", Reach::FolderAndAbove},
};

struct EnvironmentFolder {
    const char* name;
    Reach reach;
};

constexpr EnvironmentFolder kEnvironmentFolders[] = {
    {"SystemRoot", Reach::AlsoInside},
    {"windir", Reach::AlsoInside},
    {"ProgramFiles", Reach::FolderAndAbove},
    {"ProgramFiles(x86)", Reach::FolderAndAbove},
    {"ProgramW6432", Reach::FolderAndAbove},
    {"CommonProgramFiles", Reach::FolderAndAbove},
    {"CommonProgramFiles(x86)", Reach::FolderAndAbove},
    {"CommonProgramW6432", Reach::FolderAndAbove},
    {"ProgramData", Reach::FolderAndAbove},
    {"ALLUSERSPROFILE", Reach::FolderAndAbove},
    {"PUBLIC", Reach::FolderAndAbove},
    {"USERPROFILE", Reach::FolderAndAbove},
};

// Past "X:\" none of these belongs in a folder path: another path syntax,
// a stream or device name, a wildcard.
constexpr char kRefusedCharacters[] = "/:*?";

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
        path.find_first_of(kRefusedCharacters, 2) != std::string::npos)
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
        if (!sysops::SameNameNoCase(outer[i], inner[i]))
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

void AddFromRegistry(bool is64BitWindows, ProtectedFolders& folders)
{
    for (const int view64 : {0, 1}) {
        for (const RegistryFolder& row : kRegistryFolders) {
            std::string dir;
            if (sysops::ReadFolderValue(row.key, row.value, sysops::ViewBits(is64BitWindows, view64), dir))
                Add(folders, dir, row.reach);
        }
    }
}

void AddFromEnvironment(ProtectedFolders& folders)
{
    for (const EnvironmentFolder& row : kEnvironmentFolders) {
        std::string dir;
        if (sysops::ReadEnvironment(row.name, dir))
            Add(folders, dir, row.reach);
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

bool Contains(const Identities& lineage, const sysops::FileIdentity& identity)
{
    for (const sysops::FileIdentity& entry : lineage) {
        if (entry == identity)
            return true;
    }
    return false;
}

// The same tests by identity: a short name, a substituted drive, a mount
// point or a link above the tree shows here what it names.
bool ClashesByIdentity(const std::string& tree, const Components& treeParts, const ProtectedFolders& folders)
{
    sysops::FileIdentity treeIdentity;
    const bool treeKnown = sysops::ReadFileIdentity(tree, treeIdentity);
    if (!treeKnown && sysops::ExistsAtPath(tree))
        return true;  // there, but what it is cannot be told
    const Identities treeLineage = Lineage(treeParts);
    for (const ProtectedFolder& folder : folders) {
        sysops::FileIdentity identity;
        if (folder.reach == Reach::AlsoInside && sysops::ReadFileIdentity(folder.path, identity) &&
            Contains(treeLineage, identity))
            return true;
        if (treeKnown && Contains(Lineage(Split(folder.path)), treeIdentity))
            return true;
    }
    return false;
}

}  // namespace

bool IsRemovableInstallTree(const std::string& installDir, const RunPaths& paths, bool is64BitWindows)
{
    std::string canonical;
    if (Split(installDir).size() < 2 || !sysops::CanonicalPath(installDir, canonical))
        return false;  // not a plain folder below a drive's root
    const Components tree = Split(canonical);
    if (tree.size() < 2 || sysops::IsReparsePoint(canonical))
        return false;
    const ProtectedFolders folders = FoldersOfThisMachine(paths, is64BitWindows);
    if (ClashesByName(tree, folders))
        return false;
    if (!sysops::IsNtFamily())
        return true;  // 9x cannot open a folder to tell what it is
    // Paths as they are named: "system32" is the native one, not SysWOW64.
    const sysops::ScopedFsRedirectionOff redirection(is64BitWindows);
    return !ClashesByIdentity(canonical, tree, folders);
}

}  // namespace uninstall
