#include "sysops/WideTree.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"

#include <cwchar>
#include <utility>
#include <vector>

namespace sysops {
namespace {

// The same bound as the ANSI walk's buffer, counted in characters.
constexpr std::size_t kWidePathChars = kFilePathBufferSize;

// A wide path with its terminator. (A vector rather than WidePath keeps
// the wide string's library code, some 35 KB, out of the program.)
using WidePath = std::vector<wchar_t>;

bool IsSelfOrParent(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// out = dir + "\" + name; false when that would not fit.
bool JoinWide(const WidePath& dir, const wchar_t* name, WidePath& out)
{
    const std::size_t dirLength = dir.size() - 1;
    const std::size_t nameLength = std::wcslen(name);
    if (!Fits(dirLength + 1 + nameLength, kWidePathChars))
        return false;
    WidePath joined(dir.begin(), dir.end() - 1);
    joined.push_back(L'\\');
    joined.insert(joined.end(), name, name + nameLength + 1);
    out.swap(joined);
    return true;
}

bool ToWide(const char* text, WidePath& out)
{
    wchar_t buffer[kWidePathChars];
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, buffer, kWidePathChars);
    if (length <= 1)
        return false;  // failed, or empty
    out.assign(buffer, buffer + length);
    return true;
}

class WideWalk {
public:
    explicit WideWalk(const WideFileCalls& calls) : calls_(calls) {}

    // Everything below dir in search order, then dir; a link goes as a link.
    int DeleteTree(const WidePath& dir);
    // The same for a folder held already.
    int DeleteHeldTree(const WidePath& dir, UniqueFile held);

private:
    UniqueFile Hold(const WidePath& dir) const;
    int DeleteContents(const WidePath& dir);
    int DeleteEntry(const WidePath& dir, const WIN32_FIND_DATAW& entry);
    int DeleteOneFile(const WidePath& path, DWORD attributes) const;
    int RemoveLink(const WidePath& path, DWORD attributes) const;

    const WideFileCalls& calls_;
};

// Opened on the folder itself, never through a link, and without delete
// sharing: while held it can be neither renamed nor replaced by a link. An
// open for attributes alone takes no part in sharing, hence listing access.
UniqueFile WideWalk::Hold(const WidePath& dir) const
{
    return UniqueFile(calls_.createFile(dir.data(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

int WideWalk::DeleteTree(const WidePath& dir)
{
    // The name's attributes see a link that some file systems open as its
    // target; the handle's see one swapped in after the name was read.
    const DWORD named = calls_.getFileAttributes(dir.data());
    if (named == INVALID_FILE_ATTRIBUTES)
        return 0;
    if ((named & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return RemoveLink(dir, named);
    if ((named & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return 0;
    return DeleteHeldTree(dir, Hold(dir));
}

int WideWalk::DeleteHeldTree(const WidePath& dir, UniqueFile held)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!held || !GetFileInformationByHandle(held.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return 0;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        held.Reset();
        return RemoveLink(dir, info.dwFileAttributes);
    }
    if (DeleteContents(dir) == 0)
        return 0;
    // Held, the folder could not be removed.
    held.Reset();
    return calls_.removeDirectory(dir.data()) ? 1 : 0;
}

// The first entry that cannot go stops the walk: what follows it stays.
int WideWalk::DeleteContents(const WidePath& dir)
{
    WidePath pattern;
    if (!JoinWide(dir, L"*", pattern))
        return 0;
    WIN32_FIND_DATAW entry;
    const UniqueFindHandle search(calls_.findFirstFile(pattern.data(), &entry));
    if (!search)
        return 0;
    do {
        if (!IsSelfOrParent(entry.cFileName) && DeleteEntry(dir, entry) == 0)
            return 0;
    } while (calls_.findNextFile(search.Get(), &entry));
    return 1;
}

int WideWalk::DeleteEntry(const WidePath& dir, const WIN32_FIND_DATAW& entry)
{
    WidePath path;
    if (!JoinWide(dir, entry.cFileName, path))
        return 0;  // never a shorter path in its place
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return RemoveLink(path, entry.dwFileAttributes);
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return DeleteTree(path);
    return DeleteOneFile(path, entry.dwFileAttributes);
}

// Deleting refuses a read-only file, so its attributes go first; a file the
// search found writable is deleted at once, and its attributes cleared only
// if it was made read-only since.
int WideWalk::DeleteOneFile(const WidePath& path, DWORD attributes) const
{
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0 && calls_.deleteFile(path.data()))
        return 1;
    calls_.setFileAttributes(path.data(), FILE_ATTRIBUTE_NORMAL);
    return calls_.deleteFile(path.data()) ? 1 : 0;
}

// Both calls act on the link itself; its attributes are left alone, as
// changing them may reach the target.
int WideWalk::RemoveLink(const WidePath& path, DWORD attributes) const
{
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return calls_.removeDirectory(path.data()) ? 1 : 0;
    return calls_.deleteFile(path.data()) ? 1 : 0;
}

}  // namespace

int DeleteTreeWide(const WideFileCalls& calls, const char* dir)
{
    WidePath root;
    if (!ToWide(dir, root))
        return 0;
    return WideWalk(calls).DeleteTree(root);
}

int DeleteHeldTreeWide(const WideFileCalls& calls, const char* dir, UniqueFile held)
{
    WidePath root;
    if (!ToWide(dir, root))
        return 0;
    return WideWalk(calls).DeleteHeldTree(root, std::move(held));
}

}  // namespace sysops
