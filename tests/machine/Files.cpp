#include "machine/Files.h"

#include "sysops/Handles.h"

#include <aclapi.h>

namespace machine {
namespace {

using sysops::UniqueFindHandle;
using sysops::UniqueKernelHandle;

constexpr char kScratchRoot[] = "C:\\morvtest";

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

bool IsFolder(const DirEntry& entry) { return (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool IsLink(const DirEntry& entry) { return (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Each folder of `dir` from the first below the drive's root, outermost first.
template <typename Visit>
void ForEachLeadingFolder(const std::string& dir, Visit visit)
{
    for (std::size_t slash = dir.find('\\', 3);; slash = dir.find('\\', slash + 1)) {
        if (!visit(dir.substr(0, slash)) || slash == std::string::npos)
            return;
    }
}

UniqueKernelHandle OpenFile(const std::string& path, DWORD access, DWORD disposition)
{
    const HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// Makes room for a new file at `path`.
void Prepare(const std::string& path)
{
    MakeDirs(FolderOf(path));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

bool MakeDirs(const std::string& dir)
{
    ForEachLeadingFolder(dir, [](const std::string& part) {
        CreateDirectoryA(part.c_str(), nullptr);
        return true;
    });
    return IsDirectory(dir);
}

std::string FirstMissingDir(const std::string& dir)
{
    std::string missing;
    ForEachLeadingFolder(dir, [&missing](const std::string& part) {
        if (!IsDirectory(part))
            missing = part;
        return missing.empty();
    });
    return missing;
}

bool WriteText(const std::string& path, const std::string& text, DWORD attributes)
{
    Prepare(path);
    UniqueKernelHandle file = OpenFile(path, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file)
        return false;
    DWORD written = 0;
    const bool whole = ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                       written == text.size();
    file.Reset();
    return whole && SetFileAttributesA(path.c_str(), attributes);
}

bool CopyInto(const std::string& source, const std::string& path, DWORD attributes)
{
    Prepare(path);
    return CopyFileA(source.c_str(), path.c_str(), FALSE) && SetFileAttributesA(path.c_str(), attributes);
}

std::string ReadText(const std::string& path)
{
    const UniqueKernelHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    std::string text;
    if (!file)
        return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string text = ReadText(path);
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

void DeleteForced(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

void RemoveTree(const std::string& dir)
{
    for (const DirEntry& entry : ListDir(dir)) {
        const std::string path = dir + "\\" + entry.name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (IsFolder(entry) && !IsLink(entry))
            RemoveTree(path);
        else if (IsFolder(entry))
            RemoveDirectoryA(path.c_str());
        else
            DeleteFileA(path.c_str());
    }
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
}

bool HoldsFiles(const std::string& dir)
{
    for (const DirEntry& entry : ListDir(dir)) {
        if (!IsFolder(entry) || HoldsFiles(dir + "\\" + entry.name))
            return true;
    }
    return false;
}

bool GrantEveryoneWrite(const std::string& path)
{
    PACL old = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &old,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    EXPLICIT_ACCESSA everyone = {};
    everyone.grfAccessPermissions = GENERIC_READ | GENERIC_WRITE;
    everyone.grfAccessMode = GRANT_ACCESS;
    everyone.grfInheritance = NO_INHERITANCE;
    everyone.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    everyone.Trustee.ptstrName = const_cast<char*>("EVERYONE");
    PACL granted = nullptr;
    const bool set = SetEntriesInAclA(1, &everyone, old, &granted) == ERROR_SUCCESS &&
                     SetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                           nullptr, nullptr, granted, nullptr) == ERROR_SUCCESS;
    LocalFree(granted);
    LocalFree(descriptor);
    return set;
}

std::vector<DirEntry> ListDir(const std::string& dir)
{
    std::vector<DirEntry> entries;
    WIN32_FIND_DATAA found;
    const UniqueFindHandle search(FindFirstFileA((dir + "\\*").c_str(), &found));
    if (!search)
        return entries;
    do {
        if (!IsDotEntry(found.cFileName))
            entries.push_back({found.cFileName, found.dwFileAttributes, found.nFileSizeLow});
    } while (FindNextFileA(search.Get(), &found));
    return entries;
}

ScratchDir::ScratchDir(const std::string& name) : path_(std::string(kScratchRoot) + "\\" + name)
{
    RemoveTree(path_);
    MakeDirs(path_);
}

ScratchDir::~ScratchDir()
{
    RemoveTree(path_);
    RemoveDirectoryA(kScratchRoot);  // only when no other scratch is left
}

}  // namespace machine
