#include "uninstall/InstallDirGuard.h"

#include "sysops/PathText.h"

#include <cctype>
#include <vector>

namespace uninstall {
namespace {

// Folders that hold Windows, other software or users' data.
constexpr const char* kProtectedVariables[] = {
    "SystemRoot",   "ProgramFiles",    "ProgramW6432", "ProgramFiles(x86)",
    "CommonProgramFiles", "ALLUSERSPROFILE", "ProgramData", "USERPROFILE",
};

using Components = std::vector<std::string>;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The components of an absolute path: the root first ("C:" or
// "\\server\share"), then one per folder. Empty when the path is not an
// absolute drive or share path, or names "." or "..".
Components Split(const std::string& path)
{
    Components parts;
    std::size_t pos = 0;
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        IsSeparator(path[2])) {
        parts.push_back(path.substr(0, 2));
        pos = 3;
    } else if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != '?' &&
               path[2] != '.') {
        const std::size_t server = path.find_first_of("\\/", 2);
        const std::size_t share = server == std::string::npos ? server : path.find_first_of("\\/", server + 1);
        if (server == std::string::npos || server == 2 || share == server + 1)
            return {};
        parts.push_back(path.substr(0, share));
        pos = share == std::string::npos ? path.size() : share + 1;
    } else {
        return {};
    }
    while (pos < path.size()) {
        std::size_t end = path.find_first_of("\\/", pos);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(pos, end - pos);
        if (part == "." || part == "..")
            return {};
        if (!part.empty())
            parts.push_back(part);
        pos = end + 1;
    }
    return parts;
}

// Whether `outer` is `inner` or one of its parents.
bool Holds(const Components& outer, const Components& inner)
{
    if (outer.empty() || outer.size() > inner.size())
        return false;
    for (std::size_t i = 0; i < outer.size(); ++i) {
        if (!sysops::EqualsNoCase(outer[i].c_str(), inner[i].c_str()))
            return false;
    }
    return true;
}

std::vector<std::string> ProtectedFolders(const RunPaths& paths)
{
    std::vector<std::string> folders = {paths.windowsDir, paths.systemDir32, paths.systemDir64,
                                        paths.programFilesDir};
    for (const char* variable : kProtectedVariables) {
        std::string value;
        if (sysops::ReadEnvironment(variable, value))
            folders.push_back(value);
    }
    return folders;
}

}  // namespace

bool IsRemovableInstallTree(const std::string& installDir, const RunPaths& paths)
{
    const Components tree = Split(installDir);
    if (tree.size() < 2)
        return false;  // not absolute, or a drive or share root
    for (const std::string& folder : ProtectedFolders(paths)) {
        if (Holds(tree, Split(folder)))
            return false;
    }
    return true;
}

}  // namespace uninstall
