// Scratch areas and process helpers shared by the tests. Everything a test
// plants through these is removed again when the owner goes out of scope.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// The folder holding the running test program (and the helper programs).
std::string TestBinDir();
// The program under test, built next to the tests' folder.
std::string ProgramPath();

// True when this 32-bit process runs on 64-bit Windows.
bool IsWow64();

// Removes a folder and everything below it (test-side, plain Win32 calls).
void RemoveTree(const std::string& dir);
// Creates every missing folder of `dir`.
void MakeDirs(const std::string& dir);
// Writes a small file, creating its folder.
void WriteFile(const std::string& path, const std::string& content = "x");
bool PathExists(const std::string& path);

// A fresh, empty folder under C:\morvtest that is removed on destruction.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

// Sets (or, with a null value, unsets) an environment variable of this
// process; the old value comes back on destruction.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_;
};

// Registry views as the tests name them.
constexpr REGSAM kView32 = KEY_WOW64_32KEY;
constexpr REGSAM kView64 = KEY_WOW64_64KEY;

// Registry helpers under HKEY_LOCAL_MACHINE (or `root`), in a view.
void RegSetString(const std::string& key, const char* value, const std::string& data, REGSAM view = 0,
                  HKEY root = HKEY_LOCAL_MACHINE);
void RegSetDword(const std::string& key, const char* value, DWORD data, REGSAM view = 0,
                 HKEY root = HKEY_LOCAL_MACHINE);
void RegCreate(const std::string& key, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);
bool RegKeyExists(const std::string& key, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);
bool RegValueExists(const std::string& key, const char* value, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);
std::string RegGetString(const std::string& key, const char* value, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);
void RegDeleteTreeIn(const std::string& key, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);

// A registry key deleted (with its subtree) before and after the test.
class ScopedRegKey {
public:
    explicit ScopedRegKey(std::string key, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);
    ~ScopedRegKey();
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

private:
    std::string key_;
    REGSAM view_;
    HKEY root_;
};

// Makes Wine report `version` ("win98", "win7", ...) to programs of the file
// name `exeName` while the object lives.
class ScopedWineVersion {
public:
    ScopedWineVersion(const std::string& exeName, const char* version);
    ~ScopedWineVersion();
    ScopedWineVersion(const ScopedWineVersion&) = delete;
    ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;

private:
    std::string key_;
};

// Sets the Windows version the whole prefix reports to new processes, the
// way `winecfg -v` does, and puts back the version that was reported before
// when the object goes. Skipped() is true when this prefix refuses the
// version (a 64-bit prefix takes nothing older than XP x64; a 32-bit one
// takes no x64 edition).
class ScopedWindowsVersion {
public:
    explicit ScopedWindowsVersion(const char* version);
    ~ScopedWindowsVersion();
    ScopedWindowsVersion(const ScopedWindowsVersion&) = delete;
    ScopedWindowsVersion& operator=(const ScopedWindowsVersion&) = delete;

    bool Refused() const { return refused_; }

private:
    std::string previous_;
    bool refused_ = false;
};

// Starts `commandLine` and waits for it (at most `timeoutMs`); the exit code,
// or -1 when it could not start or did not end in time (then it is killed).
int RunAndWait(const std::string& commandLine, DWORD timeoutMs = 60000);

// An environment block: this process's environment with `changes` applied
// ("NAME=value" sets, "NAME" alone removes).
std::vector<char> EnvironmentWith(const std::vector<std::string>& changes);

}  // namespace testing_support
