#include "machine/Paths.h"

#include "machine/Files.h"

#include <windows.h>

namespace machine {

std::string TestBinDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return FolderOf(path);
}

std::string ProgramPath()
{
    return FolderOf(TestBinDir()) + "\\MorvUninst.exe";
}

}  // namespace machine
