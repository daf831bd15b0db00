#include "sysops/NativeFiles.h"

#include "sysops/PathText.h"
#include "sysops/SystemCalls.h"

#include <winternl.h>

namespace sysops {
namespace {

// Status codes and options of the native calls that the SDK's headers for
// Windows programs leave out.
constexpr NTSTATUS kOplockBreakInProgress = 0x00000108;
constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS kNoSuchFile = static_cast<NTSTATUS>(0xC000000F);
constexpr ULONG kOpenExisting = 1;  // FILE_OPEN
constexpr ULONG kCreateNew = 2;     // FILE_CREATE
constexpr ULONG kDirectoryFile = 0x00000001;
constexpr ULONG kNonDirectoryFile = 0x00000040;
constexpr ULONG kDeleteOnClose = 0x00001000;
constexpr ULONG kCaseInsensitive = 0x00000040;  // OBJ_CASE_INSENSITIVE

// Per folder being listed; a walk lists one folder a level at a time.
constexpr std::size_t kListingBytes = 16 * 1024;

Result ResultOf(NTSTATUS status)
{
    return NT_SUCCESS(status) ? Result::Ok() : Result::Error(Calls().rtlNtStatusToDosError(status));
}

ULONG KindOptions(NativeKind kind)
{
    switch (kind) {
    case NativeKind::Folder: return kDirectoryFile;
    case NativeKind::File: return kNonDirectoryFile;
    case NativeKind::Either: break;
    }
    return 0;
}

Result Open(HANDLE parent, NativeName name, ULONG options, DWORD access, DWORD sharing, UniqueFile& file,
            ULONG disposition = kOpenExisting)
{
    file.Reset();
    if (!HasNativeFiles() || name.length * sizeof(wchar_t) > 0xFFFE)
        return Result::Error(ERROR_CALL_NOT_IMPLEMENTED);
    UNICODE_STRING text;
    text.Buffer = const_cast<wchar_t*>(name.text);
    text.Length = static_cast<USHORT>(name.length * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes = {};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = parent;
    attributes.ObjectName = &text;
    attributes.Attributes = kCaseInsensitive;
    IO_STATUS_BLOCK status = {};
    HANDLE opened = nullptr;
    const NTSTATUS result = Calls().ntCreateFile(
        &opened, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, sharing, disposition,
        options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_COMPLETE_IF_OPLOCKED, nullptr, 0);
    if (!NT_SUCCESS(result))
        return ResultOf(result);
    file.Reset(opened);
    // Another program's lock would have to be given up first: rather than
    // wait for it, the file counts as in use. A handle opened to delete
    // deletes as it closes, though, and then the file went.
    if (result == kOplockBreakInProgress) {
        file.Reset();
        UniqueFile still;
        const bool gone = (options & kDeleteOnClose) != 0 &&
                          Open(parent, name, options & ~kDeleteOnClose, FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, still)
                                  .error == ERROR_FILE_NOT_FOUND;
        return gone ? Result::Ok() : Result::Error(ERROR_SHARING_VIOLATION);
    }
    return Result::Ok();
}

}  // namespace

bool HasNativeFiles()
{
    return Calls().HasNativeFiles();
}

Result OpenNative(HANDLE parent, NativeName name, NativeKind kind, DWORD access, DWORD sharing, UniqueFile& file)
{
    return Open(parent, name, KindOptions(kind) | FILE_OPEN_REPARSE_POINT, access, sharing, file);
}

Result OpenNativeFileAt(NativeName path, bool create, DWORD access, DWORD sharing, UniqueFile& file)
{
    return Open(nullptr, path, kNonDirectoryFile | FILE_OPEN_REPARSE_POINT, access, sharing, file,
                create ? kCreateNew : kOpenExisting);
}

Result OpenNativeToDelete(HANDLE parent, NativeName name, UniqueFile& file)
{
    return Open(parent, name, kNonDirectoryFile | FILE_OPEN_REPARSE_POINT | kDeleteOnClose, DELETE, 0, file);
}

Result OpenNativeAlone(HANDLE parent, NativeName name, NativeKind kind, UniqueFile& file)
{
    return OpenNative(parent, name, kind, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0, file);
}

Result OpenFolderAlone(HANDLE parent, NativeName name, NativeKind kind, UniqueFile& folder, bool& mayDelete)
{
    constexpr DWORD kAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL;
    mayDelete = true;
    const Result result = OpenNative(parent, name, kind, kAccess | DELETE, 0, folder);
    if (result.error != ERROR_ACCESS_DENIED)
        return result;
    mayDelete = false;
    return OpenNative(parent, name, kind, kAccess, 0, folder);
}

bool ReadOpened(HANDLE file, OpenedFile& info)
{
    BY_HANDLE_FILE_INFORMATION read;
    if (!GetFileInformationByHandle(file, &read))
        return false;
    info.identity = {read.dwVolumeSerialNumber, read.nFileIndexHigh, read.nFileIndexLow};
    info.attributes = read.dwFileAttributes;
    info.links = read.nNumberOfLinks;
    return true;
}

Result MarkEmptyFolder(HANDLE parent, NativeName name, const FileIdentity& expected, UniqueFile& folder)
{
    const Result opened =
        OpenNative(parent, name, NativeKind::Folder, DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, 0, folder);
    if (!opened.Done())
        return opened;
    OpenedFile now;
    if (!ReadOpened(folder.Get(), now) || !(now.identity == expected) ||
        (now.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        folder.Reset();
        return Result::Error(ERROR_FILE_INVALID);
    }
    return MarkForDeletion(folder.Get());
}

Result OpenNativeFollowing(HANDLE parent, NativeName name, DWORD access, DWORD sharing, UniqueFile& file)
{
    return Open(parent, name, 0, access, sharing, file);
}

bool NativeText(const std::string& text, std::vector<wchar_t>& out)
{
    wchar_t buffer[kFilePathBufferSize];
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.c_str(), -1, buffer, kFilePathBufferSize);
    if (length <= 1)
        return false;
    out.assign(buffer, buffer + length - 1);
    return true;
}

bool NativePath(const std::string& path, std::vector<wchar_t>& out)
{
    if (!NativeText(path, out))
        return false;
    out.insert(out.begin(), {L'\\', L'?', L'?', L'\\'});
    return true;
}

bool NativeListing::Fill()
{
    buffer_.assign(kListingBytes / sizeof(ULONGLONG), 0);
    IO_STATUS_BLOCK status = {};
    const NTSTATUS result = Calls().ntQueryDirectoryFile(folder_, nullptr, nullptr, nullptr, &status, buffer_.data(),
                                                         kListingBytes, FileDirectoryInformation, FALSE, nullptr,
                                                         restart_ ? TRUE : FALSE);
    restart_ = false;
    offset_ = 0;
    filled_ = NT_SUCCESS(result) && status.Information != 0;
    const bool ended = result == kNoMoreFiles || result == kNoSuchFile || (NT_SUCCESS(result) && status.Information == 0);
    error_ = ended ? ERROR_NO_MORE_FILES : ResultOf(result).error;
    return filled_;
}

bool NativeListing::Next(NativeEntry& entry)
{
    if (!filled_ && !Fill())
        return false;
    const auto* bytes = reinterpret_cast<const BYTE*>(buffer_.data());
    const auto* record = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(bytes + offset_);
    entry.name = NativeName{record->FileName, record->FileNameLength / sizeof(wchar_t)};
    entry.attributes = record->FileAttributes;
    if (record->NextEntryOffset == 0)
        filled_ = false;
    else
        offset_ += record->NextEntryOffset;
    return true;
}

Result MarkForDeletion(HANDLE file)
{
    FILE_DISPOSITION_INFORMATION disposition = {};
    disposition.DoDeleteFile = TRUE;
    IO_STATUS_BLOCK status = {};
    return ResultOf(
        Calls().ntSetInformationFile(file, &status, &disposition, sizeof disposition, FileDispositionInformation));
}

bool ReadNativeAttributes(HANDLE file, DWORD& attributes)
{
    FILE_BASIC_INFORMATION basic = {};
    IO_STATUS_BLOCK status = {};
    if (!NT_SUCCESS(Calls().ntQueryInformationFile(file, &status, &basic, sizeof basic, FileBasicInformation)))
        return false;
    attributes = basic.FileAttributes;
    return true;
}

Result SetNativeAttributes(HANDLE file, DWORD attributes)
{
    FILE_BASIC_INFORMATION basic = {};
    // Zero would mean "leave them as they are".
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    IO_STATUS_BLOCK status = {};
    return ResultOf(Calls().ntSetInformationFile(file, &status, &basic, sizeof basic, FileBasicInformation));
}

}  // namespace sysops
