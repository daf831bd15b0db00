#include "uninstall/FileCatalogue.h"

#include "sysops/Files.h"
#include "sysops/FsRedirection.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"

namespace uninstall {

namespace {

const std::string& BaseDir(const Run& run, FileBase base)
{
    switch (base) {
    case FileBase::SystemDir32: return run.paths.systemDir32;
    case FileBase::NativeSystemDir: return run.is64BitWindows ? run.paths.systemDir64 : run.paths.systemDir32;
    case FileBase::InstallDir: return run.paths.installDir;
    }
    return run.paths.installDir;
}

// A list applies when its condition holds and its base is known.
bool Applies(const Run& run, When when, FileBase base)
{
    return Holds(when, run.Context()) && !BaseDir(run, base).empty();
}

}  // namespace

bool DeleteFiles(const Run& run, const FileList& list)
{
    if (!Applies(run, list.when, list.base))
        return false;
    const std::string& dir = BaseDir(run, list.base);
    // The native system directory of 64-bit Windows is out of a 32-bit
    // program's sight unless redirection is off.
    const sysops::ScopedFsRedirectionOff redirection(list.base == FileBase::NativeSystemDir && run.is64BitWindows);
    for (const char* name : list.names)
        sysops::DeleteFileOrTree(dir.c_str(), name);
    return true;
}

bool DeleteSharedRefs(const Run& run, const RefList& list)
{
    if (!Applies(run, list.when, list.base))
        return false;
    const std::string& baseDir = BaseDir(run, list.base);
    for (const char* name : list.names) {
        std::string valueName;
        if (sysops::JoinPath(baseDir, name, valueName))
            sysops::DeleteRegistryItem(kSharedDllsKey, valueName.c_str(), list.view64);
    }
    return true;
}

}  // namespace uninstall
