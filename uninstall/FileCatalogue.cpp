#include "uninstall/FileCatalogue.h"

#include "sysops/Files.h"
#include "sysops/FsRedirection.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"
#include "uninstall/Act.h"

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

// A list applies when its condition holds and its base is known.
bool Applies(const Run& run, When when, FileBase base)
{
    return Holds(when, run.Context()) && !BaseDir(run, base).empty();
}

// The references below a refused install directory name files the run
// cannot tell are the product's.
void KeepRefusedRefs(Run& run, const RefList& list)
{
    const sysops::RegistryView view = run.View(list.view64);
    for (const char* name : list.names) {
        std::string valueName;
        if (sysops::JoinPath(run.paths.installDir, name, valueName))
            Keep(run, Item::Value(kSharedDllsKey, valueName, view), "the install-tree guard refused the folder");
    }
}

}  // namespace

void DeleteFiles(Run& run, const FileList& list)
{
    if (!Applies(run, list.when, list.base))
        return;
    const std::string& dir = BaseDir(run, list.base);
    // The native system directory of 64-bit Windows is out of a 32-bit
    // program's sight unless redirection is off.
    const bool native = list.base == FileBase::NativeSystemDir && run.is64BitWindows;
    // A file in use goes at the restart: in a system folder always, in the
    // install tree where only administrators could have put it.
    const sysops::InUse inUse = list.base == FileBase::InstallDir ? sysops::InUse::GoesAtRestartIfOnlyAdministrators
                                                                  : sysops::InUse::GoesAtRestart;
    for (const char* name : list.names) {
        std::string path;
        if (!sysops::JoinPath(dir, name, path, sysops::kFilePathBufferSize))
            continue;
        Act(run, Item::File(path, native), [&path, native, inUse] {
            const sysops::ScopedFsRedirectionOff redirection(native);
            return sysops::DeleteFileAtPath(path.c_str(), inUse);
        });
    }
    run.Step(list.steps);
}

void DeleteSharedRefs(Run& run, const RefList& list)
{
    const bool refused = list.base == FileBase::InstallDir && !run.installTree && !run.paths.installDir.empty();
    if (refused && Holds(list.when, run.Context()))
        KeepRefusedRefs(run, list);
    if (!Applies(run, list.when, list.base)) {
        // Its step belongs to its stage, which still ran.
        if (Holds(list.when, run.Context()))
            run.Step(list.steps);
        return;
    }
    const std::string& baseDir = BaseDir(run, list.base);
    const sysops::RegistryView view = run.View(list.view64);
    for (const char* name : list.names) {
        std::string valueName;
        if (!sysops::JoinPath(baseDir, name, valueName))
            continue;
        Act(run, Item::Value(kSharedDllsKey, valueName, view),
            [&valueName, view] { return sysops::DeleteRegistryItem(kSharedDllsKey, valueName.c_str(), view); });
    }
    run.Step(list.steps);
}

}  // namespace uninstall
