#include "sysops/SystemLibrary.h"

#include "sysops/PathText.h"
#include "sysops/SystemCalls.h"

#include <string>

namespace sysops {

HMODULE LoadSystemLibrary(const char* name)
{
    char systemDir[kPathBufferSize];
    const UINT length = GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (length == 0 || length >= sizeof systemDir)
        return nullptr;
    std::string path;
    if (!JoinPath(std::string(systemDir, length), name, path))
        return nullptr;
    return LoadLibraryByPath(path.c_str());
}

HMODULE LoadLibraryByPath(const char* path)
{
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void RemoveCurrentDirectoryFromLibrarySearch()
{
    const auto setDllDirectory = Calls().setDllDirectory;
    if (setDllDirectory != nullptr)
        setDllDirectory("");
}

}  // namespace sysops
