// Files and folders for setting a machine up and for looking at it
// afterwards, with plain Win32 calls, never the program's own. A false
// result leaves the Windows error code for GetLastError.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace machine {

bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
// The folder part of a path, without the last backslash.
std::string FolderOf(const std::string& path);

// Creates every missing folder of `dir` (a drive's root is taken to exist);
// whether it is a directory afterwards.
bool MakeDirs(const std::string& dir);
// The outermost folder of `dir` that does not exist yet; empty when it exists.
std::string FirstMissingDir(const std::string& dir);

// Writes `text` into the file, replacing one of any attributes and creating
// its folder, then gives it `attributes`.
bool WriteText(const std::string& path, const std::string& text, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
// The same with a copy of `source`.
bool CopyInto(const std::string& source, const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
// A file whole; empty when it cannot be read.
std::string ReadText(const std::string& path);
// A file's lines, without their line ends.
std::vector<std::string> ReadLines(const std::string& path);

// Deletes a file whatever its attributes.
void DeleteForced(const std::string& path);
// A folder with everything in it, read-only and hidden entries included; a
// link inside it goes as a link, what it points to is not entered.
void RemoveTree(const std::string& dir);
// Whether any file lies in `dir` or below it.
bool HoldsFiles(const std::string& dir);

// Adds to the access list of `path` an entry that lets Everyone write to
// it, as a careless setup might.
bool GrantEveryoneWrite(const std::string& path);

struct DirEntry {
    std::string name;
    DWORD attributes;
    DWORD size;  // the low part
};
// The entries of `dir` in the order a "*" search returns them, without "." and "..".
std::vector<DirEntry> ListDir(const std::string& dir);

// A fresh, empty folder under C:\morvtest, removed again on destruction.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

}  // namespace machine
