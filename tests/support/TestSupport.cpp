#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace testing_support {

std::string TestBinDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

std::string ProgramPath()
{
    const std::string dir = TestBinDir();
    return dir.substr(0, dir.find_last_of('\\')) + "\\MorvUninst.exe";
}

bool IsWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = dir + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(path);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(path.c_str());
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
}

void MakeDirs(const std::string& dir)
{
    for (std::size_t pos = dir.find('\\', 3); ; pos = dir.find('\\', pos + 1)) {
        CreateDirectoryA(dir.substr(0, pos).c_str(), nullptr);
        if (pos == std::string::npos)
            break;
    }
}

void WriteFile(const std::string& path, const std::string& content)
{
    MakeDirs(path.substr(0, path.find_last_of('\\')));
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

ScratchDir::ScratchDir(const std::string& name) : path_("C:\\morvtest\\" + name)
{
    RemoveTree(path_);
    MakeDirs(path_);
}

ScratchDir::~ScratchDir()
{
    RemoveTree(path_);
    RemoveDirectoryA("C:\\morvtest");  // only when no other scratch is left
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name)
{
    char old[32768];
    const DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
    hadOld_ = length > 0 && length < sizeof old;
    if (hadOld_)
        old_.assign(old, length);
    SetEnvironmentVariableA(name, value);
}

ScopedEnv::~ScopedEnv()
{
    SetEnvironmentVariableA(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}

namespace {

HKEY CreateKey(HKEY root, const std::string& key, REGSAM view)
{
    HKEY handle = nullptr;
    const LONG status = RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                                        &handle, nullptr);
    EXPECT_EQ(status, ERROR_SUCCESS) << key;
    return handle;
}

}  // namespace

void RegSetString(const std::string& key, const char* value, const std::string& data, REGSAM view, HKEY root)
{
    const HKEY handle = CreateKey(root, key, view);
    RegSetValueExA(handle, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
}

void RegSetDword(const std::string& key, const char* value, DWORD data, REGSAM view, HKEY root)
{
    const HKEY handle = CreateKey(root, key, view);
    RegSetValueExA(handle, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(handle);
}

void RegCreate(const std::string& key, REGSAM view, HKEY root)
{
    RegCloseKey(CreateKey(root, key, view));
}

bool RegKeyExists(const std::string& key, REGSAM view, HKEY root)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

bool RegValueExists(const std::string& key, const char* value, REGSAM view, HKEY root)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &handle) != ERROR_SUCCESS)
        return false;
    const bool exists = RegQueryValueExA(handle, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(handle);
    return exists;
}

std::string RegGetString(const std::string& key, const char* value, REGSAM view, HKEY root)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &handle) != ERROR_SUCCESS)
        return "<no key>";
    char data[4096] = {};
    DWORD size = sizeof data - 1;
    const LONG status = RegQueryValueExA(handle, value, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS ? std::string(data) : "<no value>";
}

void RegDeleteTreeIn(const std::string& key, REGSAM view, HKEY root)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS | view, &handle) != ERROR_SUCCESS)
        return;
    RegDeleteTreeA(handle, nullptr);
    RegCloseKey(handle);
    const std::size_t slash = key.find_last_of('\\');
    HKEY parent = root;
    if (slash != std::string::npos &&
        RegOpenKeyExA(root, key.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS)
        return;
    RegDeleteKeyExA(parent, key.substr(slash == std::string::npos ? 0 : slash + 1).c_str(), view, 0);
    if (parent != root)
        RegCloseKey(parent);
}

ScopedRegKey::ScopedRegKey(std::string key, REGSAM view, HKEY root) : key_(std::move(key)), view_(view), root_(root)
{
    RegDeleteTreeIn(key_, view_, root_);
}

ScopedRegKey::~ScopedRegKey()
{
    RegDeleteTreeIn(key_, view_, root_);
}

ScopedWineVersion::ScopedWineVersion(const std::string& exeName, const char* version)
    : key_("Software\\Wine\\AppDefaults\\" + exeName)
{
    RegSetString(key_, "Version", version, 0, HKEY_CURRENT_USER);
}

ScopedWineVersion::~ScopedWineVersion()
{
    RegDeleteTreeIn(key_, 0, HKEY_CURRENT_USER);
}

namespace {

// The winecfg name of the version this process sees.
std::string CurrentVersionName()
{
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
    const bool workstation = info.wProductType == VER_NT_WORKSTATION;
    const DWORD version = info.dwMajorVersion * 100 + info.dwMinorVersion;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return version == 400 ? "win95" : version == 410 ? "win98" : "winme";
    switch (version) {
    case 400: return "nt40";
    case 500: return "win2k";
    case 501: return "winxp";
    case 502: return workstation && IsWow64() ? "winxp64" : "win2003";
    case 600: return workstation ? "vista" : "win2008";
    case 601: return workstation ? "win7" : "win2008r2";
    case 602: return "win8";
    default: return "win7";
    }
}

bool SetWindowsVersion(const std::string& version)
{
    return RunAndWait("winecfg.exe -v " + version) == 0;
}

}  // namespace

ScopedWindowsVersion::ScopedWindowsVersion(const char* version) : previous_(CurrentVersionName())
{
    refused_ = !SetWindowsVersion(version);
}

ScopedWindowsVersion::~ScopedWindowsVersion()
{
    if (!refused_)
        SetWindowsVersion(previous_);
}

int RunAndWait(const std::string& commandLine, DWORD timeoutMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::vector<char> EnvironmentWith(const std::vector<std::string>& changes)
{
    // Names compare without regard to case, as Windows treats them.
    auto upper = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(toupper(c)); });
        return s;
    };
    std::map<std::string, std::string> variables;  // upper-case name -> "Name=value"
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        const std::string text(entry);
        const std::size_t equals = text.find('=', 1);
        variables[upper(text.substr(0, equals))] = text;
    }
    FreeEnvironmentStringsA(block);
    for (const std::string& change : changes) {
        const std::size_t equals = change.find('=');
        if (equals == std::string::npos)
            variables.erase(upper(change));
        else
            variables[upper(change.substr(0, equals))] = change;
    }
    std::vector<char> result;
    for (const auto& entry : variables) {
        result.insert(result.end(), entry.second.begin(), entry.second.end());
        result.push_back('\0');
    }
    result.push_back('\0');
    return result;
}

}  // namespace testing_support
