#include "bench/Bench.h"

#include "sysops/Files.h"
#include "sysops/Registry.h"

#include <windows.h>

#include <cstdio>
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
const char kRegistryRoot[] = "Software\\TQM\\Bench";

bool RunsUnderWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Starts a command line with its output discarded and waits for it; its
// exit code, or -1.
int RunAndWait(const std::string& commandLine)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    const HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                   OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    const BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started)
        return -1;
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

bool WriteSmallFile(const std::string& path)
{
    static const char content[] = "MZ placeholder of an installed file\r\n";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, content, sizeof content - 1, &written, nullptr);
    CloseHandle(file);
    return ok != 0;
}

bool FillFolder(const std::string& folder)
{
    if (!CreateDirectoryA(folder.c_str(), nullptr))
        return false;
    for (int i = 0; i < kFilesPerFolder; ++i) {
        if (!WriteSmallFile(folder + "\\file" + std::to_string(i) + ".dll"))
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

// The 32-bit view, where the program's own keys live on 64-bit Windows.
REGSAM View32()
{
    return RunsUnderWow64() ? KEY_WOW64_32KEY : 0;
}

bool CreateKeyWithValue(HKEY parent, const std::string& name, HKEY* created)
{
    if (RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | View32(), nullptr, created,
                        nullptr) != ERROR_SUCCESS)
        return false;
    static const char data[] = "4.3.0";
    RegSetValueExA(*created, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
    return true;
}

bool BuildRegistryTree(const std::string& root)
{
    HKEY rootKey = nullptr;
    if (!CreateKeyWithValue(HKEY_LOCAL_MACHINE, root, &rootKey))
        return false;
    bool ok = true;
    for (int top = 0; ok && top < kTopKeys; ++top) {
        HKEY topKey = nullptr;
        ok = CreateKeyWithValue(rootKey, "Component" + std::to_string(top), &topKey);
        for (int sub = 0; ok && sub < kSubkeys; ++sub) {
            HKEY subKey = nullptr;
            ok = CreateKeyWithValue(topKey, "Part" + std::to_string(sub), &subKey);
            if (ok)
                RegCloseKey(subKey);
        }
        if (topKey != nullptr)
            RegCloseKey(topKey);
    }
    RegCloseKey(rootKey);
    return ok;
}

bool KeyExists(const std::string& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | View32(), &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
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
        [&] { return RunAndWait(rd) == 0 && !Exists(theirs); });
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
                                  (RunsUnderWow64() ? " /reg:32" : "");
    sysops::DeleteRegistryItem(kRegistryRoot, nullptr, 0);
    const Contest contest = BestOf(
        5, [&] { return BuildRegistryTree(ours) && BuildRegistryTree(theirs); },
        [&] { return sysops::DeleteRegistryItem(ours.c_str(), nullptr, 0) == ERROR_SUCCESS && !KeyExists(ours); },
        [&] { return RunAndWait(regDelete) == 0 && !KeyExists(theirs); });
    if (!contest.complete)
        std::printf("registry: a tree could not be built, or was not deleted whole\n");
    Report("delete 20,000 registry keys (32-bit view)", contest.ours,
           RunsUnderWow64() ? "reg delete /f /reg:32" : "reg delete /f", contest.theirs, 2.0);
    sysops::DeleteRegistryItem(kRegistryRoot, nullptr, 0);
    if (sysops::IsRegistryKeyEmpty("Software\\TQM", 0) == 1)
        sysops::DeleteRegistryItem("Software\\TQM", nullptr, 0);
}

}  // namespace bench
