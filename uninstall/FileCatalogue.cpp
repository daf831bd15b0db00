#include "uninstall/FileCatalogue.h"

#include "sysops/Files.h"
#include "sysops/SystemInfo.h"
#include "uninstall/Act.h"
#include "sysops/FsRedirection.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"

namespace uninstall {

namespace {

const std::string kNoBase;

// The install directory only as the guard accepted it.
const std::string& BaseDir(const Run& run, FileBase base)
{
    switch (base) {
    case FileBase::SystemDir32: return run.paths.systemDir32;
    case FileBase::NativeSystemDir: return run.is64BitWindows ? run.paths.systemDir64 : run.paths.systemDir32;
    case FileBase::InstallDir: return run.installTree ? run.installTree->Path() : kNoBase;
    }
    return kNoBase;
}

// The references below a refused install directory name files the run
// cannot tell are the product's.
void KeepRefusedRefs(Run& run, const RefList& list)
{
    const unsigned long view = sysops::ViewBits(run.is64BitWindows, list.view64);
    for (const char* name : list.names) {
        std::string valueName;
        if (sysops::JoinPath(run.paths.installDir, name, valueName))
            Keep(run, Item::Value(kSharedDllsKey, valueName, list.view64, view), "the install-tree guard refused the folder");
    }
}

// A list applies when its condition holds and its base is known.
bool Applies(const Run& run, When when, FileBase base)
{
    return Holds(when, run.Context()) && !BaseDir(run, base).empty();
}

}  // namespace

bool DeleteFiles(Run& run, const FileList& list)
{
    if (!Applies(run, list.when, list.base))
        return false;
    const std::string& dir = BaseDir(run, list.base);
    // The native system directory of 64-bit Windows is out of a 32-bit
    // program's sight unless redirection is off.
    const bool native = list.base == FileBase::NativeSystemDir && run.is64BitWindows;
    for (const char* name : list.names) {
        std::string path;
        if (!sysops::JoinPath(dir, name, path, sysops::kFilePathBufferSize))
            continue;
        Act(run, Item::File(path, native), [&dir, name, native] {
            const sysops::ScopedFsRedirectionOff redirection(native);
            return sysops::DeleteFileOrTree(dir.c_str(), name) != 0 ? 0ul : sysops::LastError();
        });
    }
    return true;
}

bool DeleteSharedRefs(Run& run, const RefList& list)
{
    const bool refused = list.base == FileBase::InstallDir && !run.installTree && !run.paths.installDir.empty();
    if (refused && Holds(list.when, run.Context()))
        KeepRefusedRefs(run, list);
    if (!Applies(run, list.when, list.base))
        return false;
    const std::string& baseDir = BaseDir(run, list.base);
    const unsigned long view = sysops::ViewBits(run.is64BitWindows, list.view64);
    for (const char* name : list.names) {
        std::string valueName;
        if (!sysops::JoinPath(baseDir, name, valueName))
            continue;
        Act(run, Item::Value(kSharedDllsKey, valueName, list.view64, view), [&valueName, &list] {
            return static_cast<unsigned long>(
                sysops::DeleteRegistryItem(kSharedDllsKey, valueName.c_str(), list.view64));
        });
    }
    return true;
}

}  // namespace uninstall
