#include "sample/SampleFiles.h"

#include "sysops/Handles.h"

#include <windows.h>

namespace sample {

namespace {

DWORD AttributesOf(Attr attr)
{
    switch (attr) {
    case Attr::Normal: return FILE_ATTRIBUTE_NORMAL;
    case Attr::ReadOnly: return FILE_ATTRIBUTE_READONLY;
    case Attr::Hidden: return FILE_ATTRIBUTE_HIDDEN;
    case Attr::ReadOnlyHidden: return FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    }
    return FILE_ATTRIBUTE_NORMAL;
}

bool IsDotEntry(const char* name) { return lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0; }

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
    // "C:\" exists; each later part is made in turn.
    for (std::size_t slash = dir.find('\\', 3);; slash = dir.find('\\', slash + 1)) {
        CreateDirectoryA(dir.substr(0, slash).c_str(), nullptr);
        if (slash == std::string::npos)
            break;
    }
    return IsDirectory(dir);
}

std::string FirstMissingDir(const std::string& dir)
{
    for (std::size_t slash = dir.find('\\', 3);; slash = dir.find('\\', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (!IsDirectory(part))
            return part;
        if (slash == std::string::npos)
            return std::string();
    }
}

bool WriteText(const std::string& path, const std::string& text, Attr attr)
{
    MakeDirs(FolderOf(path));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    sysops::UniqueKernelHandle owner(file);
    DWORD written = 0;
    const bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    owner.Reset();
    return ok && SetFileAttributesA(path.c_str(), AttributesOf(attr));
}

bool CopyInto(const std::string& source, const std::string& path, Attr attr)
{
    MakeDirs(FolderOf(path));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return CopyFileA(source.c_str(), path.c_str(), FALSE) && SetFileAttributesA(path.c_str(), AttributesOf(attr));
}

void DeleteForced(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    sysops::UniqueFindHandle search(FindFirstFileA((dir + "\\*").c_str(), &found));
    if (search) {
        do {
            if (IsDotEntry(found.cFileName))
                continue;
            const std::string path = dir + "\\" + found.cFileName;
            const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (folder && !link)
                RemoveTree(path);
            else if (folder)
                RemoveDirectoryA(path.c_str());
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search.Get(), &found));
    }
    search.Reset();
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
}

bool HoldsFiles(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    sysops::UniqueFindHandle search(FindFirstFileA((dir + "\\*").c_str(), &found));
    if (!search)
        return false;
    do {
        if (IsDotEntry(found.cFileName))
            continue;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return true;
        if (HoldsFiles(dir + "\\" + found.cFileName))
            return true;
    } while (FindNextFileA(search.Get(), &found));
    return false;
}

std::string ReadText(const std::string& path)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    sysops::UniqueKernelHandle owner(file);
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

}  // namespace sample
