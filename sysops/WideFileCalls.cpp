#include "sysops/WideFileCalls.h"

#include "sysops/PathIdentity.h"
#include "sysops/SystemLibrary.h"

namespace sysops {
namespace {

constexpr char kKernel[] = "kernel32.dll";

template <typename Fn>
bool LookUpInto(Fn& call, const char* name)
{
    call = LookUpLoaded<Fn>(kKernel, name);
    return call != nullptr;
}

}  // namespace

bool LookUpWideFileCalls(WideFileCalls& calls)
{
    if (!IsNtFamily())
        return false;
    return LookUpInto(calls.createFile, "CreateFileW") && LookUpInto(calls.findFirstFile, "FindFirstFileW") &&
           LookUpInto(calls.findNextFile, "FindNextFileW") &&
           LookUpInto(calls.getFileAttributes, "GetFileAttributesW") &&
           LookUpInto(calls.setFileAttributes, "SetFileAttributesW") && LookUpInto(calls.deleteFile, "DeleteFileW") &&
           LookUpInto(calls.removeDirectory, "RemoveDirectoryW");
}

}  // namespace sysops
