#include "sysops/Files.h"

#include "sysops/FolderChain.h"
#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/WideTree.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace sysops {
namespace {

// Every directory search lists itself and its parent; nothing else is skipped.
bool IsSelfOrParent(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// DeleteFileA refuses a read-only file, so read-only, hidden and system go
// first, whatever the file has.
int DeleteOneFile(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) ? 1 : 0;
}

// A junction or symbolic link inside the tree points somewhere else: only
// the link goes. RemoveDirectoryA and DeleteFileA both act on the link itself;
// its attributes are left alone, as changing them may reach the target.
int RemoveLink(const std::string& path, DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return RemoveDirectoryA(path.c_str()) ? 1 : 0;
    return DeleteFileA(path.c_str()) ? 1 : 0;
}

int DeleteTree(const std::string& dir);

// An ANSI search gives '?' for a letter the code page lacks, and a best-fit
// '\\' or '/' for some that look alike: such a name would compose a path
// to something else, a wildcard, or a path outside the tree.
bool NamesSomethingElse(const char* name)
{
    return std::strpbrk(name, "\\/:*?") != nullptr;
}

// One entry of a directory search, by what the search said it is.
int DeleteEntry(const std::string& dir, const WIN32_FIND_DATAA& entry)
{
    std::string path;
    if (NamesSomethingElse(entry.cFileName) || !JoinPath(dir, entry.cFileName, path, kFilePathBufferSize))
        return 0;  // never a shorter path in its place
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return RemoveLink(path, entry.dwFileAttributes);
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return DeleteTree(path);
    return DeleteOneFile(path);
}

// Everything below dir in search order, then dir. The first entry that
// cannot go stops the walk: what follows it stays, and so do its parents.
int DeleteTree(const std::string& dir)
{
    std::string pattern;
    if (!AppendText(dir, "\\*.*", pattern, kFilePathBufferSize))
        return 0;
    WIN32_FIND_DATAA entry;
    UniqueFindHandle search(FindFirstFileA(pattern.c_str(), &entry));
    if (!search)
        return 0;
    do {
        if (IsSelfOrParent(entry.cFileName))
            continue;
        if (DeleteEntry(dir, entry) == 0)
            return 0;
    } while (FindNextFileA(search.Get(), &entry));
    // An open search on dir would keep it from being removed.
    search.Reset();
    return RemoveDirectoryA(dir.c_str()) ? 1 : 0;
}

// The walk where only the ANSI calls work (9x). A root that is a link goes
// as a link, as every link below it does.
int DeleteTreeAnsi(const std::string& root)
{
    const DWORD attributes = GetFileAttributesA(root.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return RemoveLink(root, attributes);
    return DeleteTree(root);
}

}  // namespace

int DeleteHeldTree(FolderChain& chain)
{
    if (chain.State() != ChainState::Held || !chain.StillHeld()) {
        SetLastError(chain.State() == ChainState::Missing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_INVALID);
        return 0;
    }
    WideFileCalls wide;
    if (!LookUpWideFileCalls(wide))
        return DeleteTreeAnsi(chain.Path());
    return DeleteHeldTreeWide(wide, chain.Path().c_str(), chain.TakeDeepest());
}

int DeleteFileAtPath(const char* path)
{
    return DeleteOneFile(path);
}

int RemoveEmptyDirectory(const char* path)
{
    return RemoveDirectoryA(path) ? 1 : 0;
}

int DeleteFileOrTree(const char* dir, const char* name)
{
    // An empty directory would make "\*.*", the root of the current drive.
    if (dir == nullptr || *dir == '\0')
        return 0;
    if (name == nullptr) {
        WideFileCalls wide;
        return LookUpWideFileCalls(wide) ? DeleteTreeWide(wide, dir) : DeleteTreeAnsi(dir);
    }
    std::string path;
    if (!JoinPath(dir, name, path, kFilePathBufferSize))
        return 0;
    return DeleteOneFile(path);
}

}  // namespace sysops
