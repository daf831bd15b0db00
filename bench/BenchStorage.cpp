#include "bench/Bench.h"

#include "machine/Child.h"
#include "machine/Files.h"
#include "machine/Registry.h"
#include "machine/Views.h"
#include "sysops/Files.h"
#include "sysops/FolderChain.h"
#include "sysops/Registry.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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
const char kRegistryRoot[] = "Software\\MorvUninstTest\\Bench";

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

// As the run deletes a tree: held from the drive's root down, checked again
// through what it holds, then walked.
bool DeleteAsTheRunDoes(const std::string& dir)
{
    sysops::FolderChain chain;
    return chain.Hold(dir) == sysops::ChainState::Held && sysops::DeleteHeldTree(chain).Done();
}

// The plainest in-process removal of a file tree, the floor any removal
// stands on: search, delete each file, remove each emptied folder.
bool PlainDeleteTree(const std::string& dir)
{
    WIN32_FIND_DATAA entry;
    sysops::UniqueFindHandle search(FindFirstFileA((dir + "\\*").c_str(), &entry));
    if (!search)
        return false;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = dir + "\\" + name;
        const bool gone = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PlainDeleteTree(path)
                                                                                    : DeleteFileA(path.c_str()) != 0;
        if (!gone)
            return false;
    } while (FindNextFileA(search.Get(), &entry));
    search.Reset();
    return RemoveDirectoryA(dir.c_str()) != 0;
}

// The same for a registry tree in this process's own view: deepest keys first.
bool PlainDeleteKey(HKEY parent, const std::string& name)
{
    {
        sysops::UniqueRegKey key;
        if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, key.Put()) != ERROR_SUCCESS)
            return false;
        char child[256];
        DWORD length = sizeof child;
        while (RegEnumKeyExA(key.Get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            if (!PlainDeleteKey(key.Get(), child))
                return false;
            length = sizeof child;
        }
    }
    return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace

void RunFileTreeBenchmark()
{
    const std::string ours = std::string(kFileRoot) + "\\ours";
    const std::string plain = std::string(kFileRoot) + "\\plain";
    const std::string theirs = std::string(kFileRoot) + "\\theirs";
    const std::string rd = "cmd.exe /c rd /s /q \"" + theirs + "\"";
    sysops::DeleteFileOrTree(kFileRoot, nullptr);  // what an interrupted run left
    CreateDirectoryA(kFileRoot, nullptr);
    const Contest contest = RunRounds(
        kMinRounds, [&] { return BuildInstallTree(ours) && BuildInstallTree(plain) && BuildInstallTree(theirs); },
        {[&] { return DeleteAsTheRunDoes(ours) && !Exists(ours); },
         [&] { return PlainDeleteTree(plain) && !Exists(plain); },
         [&] { return RunTool(rd) == 0 && !Exists(theirs); }});
    if (!contest.complete) {
        std::printf("files: a tree could not be built, or was not deleted whole\n");
    } else {
        const Baseline tool{"cmd /c rd /s /q", contest.sides[2], 1.2};
        Report("delete 20,000 files in 2,000 folders", contest.sides[0],
               Baseline{"a plain search-and-delete loop", contest.sides[1], 1.1}, &tool);
    }
    sysops::DeleteFileOrTree(kFileRoot, nullptr);
}

void RunRegistryTreeBenchmark()
{
    const std::string ours = std::string(kRegistryRoot) + "\\Ours";
    const std::string plain = std::string(kRegistryRoot) + "\\Plain";
    const std::string theirs = std::string(kRegistryRoot) + "\\Theirs";
    // reg.exe from this process's system folder is the 32-bit one on 64-bit
    // Windows; /reg:32 says so regardless, so all three delete the same view.
    char systemDir[MAX_PATH] = {};
    GetSystemDirectoryA(systemDir, sizeof systemDir);
    const std::string regDelete = std::string("\"") + systemDir + "\\reg.exe\" delete \"HKLM\\" + theirs + "\" /f" +
                                  (IsWow64() ? " /reg:32" : "");
    sysops::DeleteRegistryItem(kRegistryRoot, nullptr, machine::RunView(0));
    const Contest contest = RunRounds(
        5, [&] { return BuildRegistryTree(ours) && BuildRegistryTree(plain) && BuildRegistryTree(theirs); },
        {[&] { return sysops::DeleteRegistryItem(ours.c_str(), nullptr, machine::RunView(0)).Done() && !KeyExists(ours); },
         [&] { return PlainDeleteKey(HKEY_LOCAL_MACHINE, plain) && !KeyExists(plain); },
         [&] { return RunTool(regDelete) == 0 && !KeyExists(theirs); }});
    if (!contest.complete) {
        std::printf("registry: a tree could not be built, or was not deleted whole\n");
    } else {
        const Baseline tool{IsWow64() ? "reg delete /f /reg:32" : "reg delete /f", contest.sides[2], 2.0};
        Report("delete 20,000 registry keys (32-bit view)", contest.sides[0],
               Baseline{"a plain depth-first RegDeleteKey", contest.sides[1], 1.2}, &tool);
    }
    sysops::DeleteRegistryItem(kRegistryRoot, nullptr, machine::RunView(0));
    if (sysops::IsRegistryKeyEmpty("Software\\MorvUninstTest", machine::RunView(0)))
        sysops::DeleteRegistryItem("Software\\MorvUninstTest", nullptr, machine::RunView(0));
}

}  // namespace bench
