#include "bench/Bench.h"

#include "machine/Child.h"
#include "machine/Files.h"
#include "machine/Registry.h"
#include "machine/Views.h"
#include "sysops/Files.h"
#include "sysops/Registry.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace bench {
namespace {

// An install tree: 200 folders of 9 subfolders each (2,000 folders), ten
// files in every folder (20,000 files).
constexpr int kTopFolders = 200;
constexpr int kSubfolders = 9;
constexpr int kFilesPerFolder = 10;
const char kFileRoot[] = "C:\\morvbench";

// A registry tree of 20,000 keys below its root: 200 keys of 99 subkeys
// each, every key with one value, as installers leave them.
constexpr int kTopKeys = 200;
constexpr int kSubkeys = 99;
const char kRegistryRoot[] = "Software\\TQM\\Bench";

using machine::Exists;
using machine::IsWow64;

// The administrator's tool, its output discarded; its exit code, or -1 when
// it did not start or did not finish in a quarter of an hour.
int RunTool(const std::string& commandLine)
{
    return machine::RunAndWait(
        machine::Launch{commandLine, std::string(), {}, machine::StandardHandles::Discarded},
        std::chrono::minutes(15));
}

bool FillFolder(const std::string& folder)
{
    if (!CreateDirectoryA(folder.c_str(), nullptr))
        return false;
    for (int i = 0; i < kFilesPerFolder; ++i) {
        if (!machine::WriteText(folder + "\\file" + std::to_string(i) + ".dll",
                                "MZ placeholder of an installed file\r\n"))
            return false;
    }
    return true;
}

bool BuildInstallTree(const std::string& root)
{
    if (!FillFolder(root))
        return false;
    for (int top = 0; top < kTopFolders; ++top) {
        const std::string folder = root + "\\component" + std::to_string(top);
        if (!FillFolder(folder))
            return false;
        for (int sub = 0; sub < kSubfolders; ++sub) {
            if (!FillFolder(folder + "\\part" + std::to_string(sub)))
                return false;
        }
    }
    return true;
}

// The program's own keys live in the 32-bit view on 64-bit Windows.
sysops::UniqueRegKey MakeKeyWithValue(HKEY parent, const std::string& name)
{
    sysops::UniqueRegKey key = machine::MakeKey(name, machine::OwnView(), parent);
    if (key && !machine::SetString(key.Get(), "Version", "4.3.0"))
        key.Reset();
    return key;
}

bool BuildRegistryTree(const std::string& root)
{
    const sysops::UniqueRegKey rootKey = MakeKeyWithValue(HKEY_LOCAL_MACHINE, root);
    for (int top = 0; rootKey && top < kTopKeys; ++top) {
        const sysops::UniqueRegKey topKey = MakeKeyWithValue(rootKey.Get(), "Component" + std::to_string(top));
        for (int sub = 0; sub < kSubkeys; ++sub) {
            if (!topKey || !MakeKeyWithValue(topKey.Get(), "Part" + std::to_string(sub)))
                return false;
        }
    }
    return rootKey.IsValid();
}

bool KeyExists(const std::string& key)
{
    return machine::KeyExists(key, machine::OwnView());
}

// Each side's best of a few rounds, the sides taking turns to go first: other
// work on the machine only ever adds to a time. `build` makes both loads;
// each side reports whether its load is gone.
struct Contest {
    double ours = 0;
    double theirs = 0;
    bool complete = true;
};

template <typename Build, typename Ours, typename Theirs>
Contest BestOf(int rounds, Build build, Ours ours, Theirs theirs)
{
    Contest best;
    for (int round = 0; round < rounds && best.complete; ++round) {
        if (!build())
            return Contest{0, 0, false};
        double times[2] = {};
        for (int turn = 0; turn < 2; ++turn) {
            const bool oursNow = (turn + round) % 2 == 0;
            const double start = Now();
            const bool gone = oursNow ? ours() : theirs();
            times[oursNow ? 0 : 1] = Now() - start;
            best.complete = best.complete && gone;
        }
        best.ours = round == 0 || times[0] < best.ours ? times[0] : best.ours;
        best.theirs = round == 0 || times[1] < best.theirs ? times[1] : best.theirs;
    }
    return best;
}

}  // namespace

void RunFileTreeBenchmark()
{
    const std::string ours = std::string(kFileRoot) + "\\ours";
    const std::string theirs = std::string(kFileRoot) + "\\theirs";
    const std::string rd = "cmd.exe /c rd /s /q \"" + theirs + "\"";
    sysops::DeleteFileOrTree(kFileRoot, nullptr);  // what an interrupted run left
    CreateDirectoryA(kFileRoot, nullptr);
    const Contest contest = BestOf(
        2, [&] { return BuildInstallTree(ours) && BuildInstallTree(theirs); },
        [&] { return sysops::DeleteFileOrTree(ours.c_str(), nullptr) != 0 && !Exists(ours); },
        [&] { return RunTool(rd) == 0 && !Exists(theirs); });
    if (!contest.complete)
        std::printf("files: a tree could not be built, or was not deleted whole\n");
    Report("delete 20,000 files in 2,000 folders", contest.ours, "cmd /c rd /s /q", contest.theirs, 1.2);
    sysops::DeleteFileOrTree(kFileRoot, nullptr);
}

void RunRegistryTreeBenchmark()
{
    const std::string ours = std::string(kRegistryRoot) + "\\Ours";
    const std::string theirs = std::string(kRegistryRoot) + "\\Theirs";
    // reg.exe from this process's system folder is the 32-bit one on 64-bit
    // Windows; /reg:32 says so regardless, so both delete the same view.
    char systemDir[MAX_PATH] = {};
    GetSystemDirectoryA(systemDir, sizeof systemDir);
    const std::string regDelete = std::string("\"") + systemDir + "\\reg.exe\" delete \"HKLM\\" + theirs + "\" /f" +
                                  (IsWow64() ? " /reg:32" : "");
    sysops::DeleteRegistryItem(kRegistryRoot, nullptr, 0);
    const Contest contest = BestOf(
        5, [&] { return BuildRegistryTree(ours) && BuildRegistryTree(theirs); },
        [&] { return sysops::DeleteRegistryItem(ours.c_str(), nullptr, 0) == ERROR_SUCCESS && !KeyExists(ours); },
        [&] { return RunTool(regDelete) == 0 && !KeyExists(theirs); });
    if (!contest.complete)
        std::printf("registry: a tree could not be built, or was not deleted whole\n");
    Report("delete 20,000 registry keys (32-bit view)", contest.ours,
           IsWow64() ? "reg delete /f /reg:32" : "reg delete /f", contest.theirs, 2.0);
    sysops::DeleteRegistryItem(kRegistryRoot, nullptr, 0);
    if (sysops::IsRegistryKeyEmpty("Software\\TQM", 0) == 1)
        sysops::DeleteRegistryItem("Software\\TQM", nullptr, 0);
}

}  // namespace bench
