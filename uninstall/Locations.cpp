#include "uninstall/Locations.h"

#include "sysops/FolderChain.h"
#include "sysops/FsRedirection.h"
#include "sysops/Ownership.h"
#include "sysops/PathIdentity.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/Registry.h"
#include "sysops/RegistryValue.h"
#include "uninstall/Catalogue.h"
#include "uninstall/Texts.h"

namespace uninstall {
namespace {

using sysops::FileExists;
using sysops::JoinPath;


// A directory is a system directory when it holds this file.
constexpr const char* kSystemDirMarker = "advapi32.dll";


constexpr int kProgramFilesCandidates = 6;



bool IsSystemDir(const std::string& dir, bool native)
{
    // The native system32 of 64-bit Windows is visible to a 32-bit program
    // only with redirection off; otherwise the probe would see SysWOW64.
    const sysops::ScopedFsRedirectionOff redirection(native);
    return FileExists(dir.c_str(), kSystemDirMarker) == 1;
}

bool FindWindowsDir(Run& run)
{
    if (!sysops::ReadEnvironment("WINDIR", run.paths.windowsDir)) {
        run.ErrorBox(texts::kNoWindir);
        return false;
    }
    run.DebugBox(run.paths.windowsDir, texts::kWindirCaption);
    run.Step(Stages.windowsDirectory);
    return true;
}

bool Find32BitWindowsSystemDir(RunPaths& paths)
{
    for (const char* name : {"system32", "system"}) {
        if (JoinPath(paths.windowsDir, name, paths.systemDir32) && IsSystemDir(paths.systemDir32, false))
            return true;
    }
    paths.systemDir32.clear();
    return false;
}

bool FindSystemDirs(Run& run)
{
    RunPaths& paths = run.paths;
    if (!run.is64BitWindows) {
        if (!Find32BitWindowsSystemDir(paths)) {
            run.ErrorBox(texts::kNoSystemDir);
            return false;
        }
    } else {
        if (!JoinPath(paths.windowsDir, "SysWOW64", paths.systemDir32) || !IsSystemDir(paths.systemDir32, false)) {
            run.ErrorBox(texts::kNoSysWow64);
            return false;
        }
        run.DebugBox(paths.systemDir32, texts::kSysWow64Caption);
        if (!JoinPath(paths.windowsDir, "system32", paths.systemDir64) || !IsSystemDir(paths.systemDir64, true)) {
            run.ErrorBox(texts::kNoSystemDir);
            return false;
        }
    }
    run.DebugBox(paths.systemDir32, texts::kSystemDirCaption);
    run.Step(Stages.systemDirectories);
    return true;
}

// The value names what the run will delete as a tree and load code from: it
// counts only when nobody but administrators may write its key, and it is
// read through the handle whose security was looked at.
void ReadInstallDirFromRegistry(Run& run)
{
    sysops::UniqueRegKey key;
    if (sysops::OpenKey(kInstallDirKey, KEY_QUERY_VALUE | READ_CONTROL | run.ProductView().bits, key).Done()) {
        const HANDLE handle = reinterpret_cast<HANDLE>(key.Get());
        if (!sysops::IsNtFamily() || sysops::OnlyAdministratorsMayChange(handle, sysops::ObjectKind::RegistryKey))
            sysops::ReadStringValue(key.Get(), kInstallDirValue, run.paths.installDir);
        else
            run.Record().Note("location", std::string("install directory value ignored: HKLM\\") + kInstallDirKey +
                                              " may be written by others");
    }
    run.Step(Stages.installDirValue);
}

// Candidate `number` (1 to 6) for the program-files directory; false when it
// cannot be formed (its variable is unset or too long).
bool ProgramFilesCandidate(int number, std::string& path)
{
    switch (number) {
    case 1:
        return sysops::ReadEnvironment("PROGRAMFILES", path);
    case 2: {
        std::string drive;
        return sysops::ReadEnvironment("HOMEDRIVE", drive) && sysops::AppendText(drive, "\\Program Files", path);
    }
    default:
        path = "C:\\Program Files";
        path[0] = static_cast<char>('@' + number);  // 3 is C:, 6 is F:
        return true;
    }
}

void FindProgramFilesDir(Run& run)
{
    for (int number = 1; number <= kProgramFilesCandidates; ++number) {
        std::string candidate;
        if (ProgramFilesCandidate(number, candidate) && FileExists(candidate.c_str(), ".")) {
            run.paths.programFilesDir = candidate;
            break;
        }
        run.Step(Stages.perRejectedProgramFilesCandidate);
    }
    run.DebugBox(run.paths.programFilesDir, texts::kProgramFilesCaption);
    run.Step(Stages.programFilesDirectory);
}

void FindInstallDirCandidate(RunPaths& paths)
{
    // Without a program-files directory the candidates would name folders
    // below the root of whatever drive is current.
    if (!paths.installDir.empty() || paths.programFilesDir.empty())
        return;
    for (const char* tail : InstallDirCandidates) {
        std::string candidate;
        if (JoinPath(paths.programFilesDir, tail, candidate) && FileExists(candidate.c_str(), ".")) {
            paths.installDir = candidate;
            return;
        }
    }
}

void FinishInstallDir(Run& run)
{
    std::string& installDir = run.paths.installDir;
    if (!installDir.empty() && installDir.back() == '\\')
        installDir.pop_back();
    run.DebugBox(installDir, texts::kInstallDirCaption);
    run.Step(Stages.installDirectory);
}

// The Hebrew-named menu when it holds the product's folder, and the English
// one always: anybody who may create folders beside the menus could make a
// Hebrew one that holds such a folder, and it must not hide the real one.
std::vector<std::string> ChooseMenus(const std::string& base)
{
    std::vector<std::string> menus;
    std::string menu;
    std::string product;
    sysops::FolderChain chain;
    if (JoinPath(base, kHebrewProgramsMenu, menu) && JoinPath(menu, Menu.productFolder, product) &&
        chain.Hold(product, sysops::Links::OfAdministratorsAboveTheEnd) == sysops::ChainState::Held)
        menus.push_back(menu);
    if (JoinPath(base, kProgramsMenu, menu))
        menus.push_back(menu);
    return menus;
}

}  // namespace

bool DiscoverLocations(Run& run)
{
    if (!FindWindowsDir(run) || !FindSystemDirs(run))
        return false;
    ReadInstallDirFromRegistry(run);
    FindProgramFilesDir(run);
    FindInstallDirCandidate(run.paths);
    FinishInstallDir(run);
    return true;
}

std::vector<std::string> FindMenuDirs(const std::string& windowsDir, int osClass)
{
    if (osClass == sysops::OSCLASS_WIN98 || osClass == sysops::OSCLASS_WINME)
        return windowsDir.empty() ? std::vector<std::string>() : ChooseMenus(windowsDir);
    if (osClass == sysops::OSCLASS_NT4) {
        std::string menu;
        if (windowsDir.empty() || !JoinPath(windowsDir, kNt4ProgramsMenu, menu))
            return {};
        return {menu};
    }
    if (osClass >= sysops::OSCLASS_WIN2000) {
        std::string allUsers;
        if (!sysops::ReadEnvironment("ALLUSERSPROFILE", allUsers))
            return {};
        return ChooseMenus(allUsers);
    }
    return {};
}

}  // namespace uninstall
