#include "sysops/LogFile.h"

#include "sysops/FolderChain.h"
#include "sysops/NativeFiles.h"
#include "sysops/Ownership.h"
#include "sysops/PathIdentity.h"

#include <vector>

namespace sysops {
namespace {

// Others may read the record while the run writes it; nobody else writes.
constexpr DWORD kSharing = FILE_SHARE_READ;

constexpr DWORD kAccess = GENERIC_WRITE | READ_CONTROL | FILE_READ_ATTRIBUTES;

// On the NT family through the native calls: a file somebody else made
// there could carry a lock that an ordinary open would wait on for good.
// The 9x family has neither links nor such locks.
UniqueFile OpenAsItself(const std::string& path, DWORD disposition)
{
    std::vector<wchar_t> native;
    if (!HasNativeFiles())
        return UniqueFile(CreateFileA(path.c_str(), kAccess, kSharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
    UniqueFile file;
    // Only a whole path on a drive names one file; a share or device the
    // caller named is opened as Windows opens it.
    if (FolderPrefixes(path).empty() || !NativePath(path, native))
        file.Reset(CreateFileA(path.c_str(), kAccess, kSharing, nullptr, disposition,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    else
        SetLastError(OpenNativeFileAt(NameOf(native), disposition == CREATE_NEW, kAccess, kSharing, file).error);
    return file;
}

// What is wrong with an existing file, through the handle it will be
// written through.
Refusal Judge(HANDLE file, const std::string& path)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return Refusal::OthersFile;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return Refusal::Link;
    if (info.nNumberOfLinks > 1)
        return Refusal::HardLinked;
    const std::string root = path.size() >= 3 && path[1] == ':' ? path.substr(0, 3) : std::string();
    if (IsNtFamily() && (root.empty() || KeepsAccessLists(root)) && !OwnedByAdministrators(file))
        return Refusal::OthersFile;
    return Refusal::None;
}

// "dir\name.log" with the stamp: "dir\name-20261209-221500.log".
std::string Beside(const std::string& path, const std::string& stamp)
{
    const std::size_t slash = path.find_last_of('\\');
    const std::size_t dot = path.find_last_of('.');
    const std::size_t cut = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : path.size();
    return path.substr(0, cut) + "-" + stamp + path.substr(cut);
}

}  // namespace

bool LogFile::Open(const std::string& path, const std::string& stamp)
{
    path_ = path;
    refused_ = Refusal::None;
    file_ = OpenAsItself(path, OPEN_EXISTING);
    if (!file_ && GetLastError() == ERROR_FILE_NOT_FOUND) {
        // Made by this run: nobody else's. One that appears meanwhile is
        // judged like any other.
        file_ = OpenAsItself(path, CREATE_NEW);
        if (!file_ && (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS))
            file_ = OpenAsItself(path, OPEN_EXISTING);
        else
            return file_.IsValid();
    }
    refused_ = file_ ? Judge(file_.Get(), path) : Refusal::Unopenable;
    if (refused_ == Refusal::None)
        return true;
    file_.Reset();
    path_ = Beside(path, stamp);
    file_ = OpenAsItself(path_, CREATE_NEW);
    return file_.IsValid();
}

void LogFile::WriteLine(const std::string& line)
{
    if (!file_)
        return;
    const std::string text = line + "\r\n";
    SetFilePointer(file_.Get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

const char* RefusalText(Refusal refusal)
{
    switch (refusal) {
    case Refusal::Link: return "a link";
    case Refusal::HardLinked: return "a file with more than one name";
    case Refusal::OthersFile: return "another account's file";
    case Refusal::Unopenable: return "a file that cannot be opened for writing";
    case Refusal::None: break;
    }
    return "";
}

}  // namespace sysops
