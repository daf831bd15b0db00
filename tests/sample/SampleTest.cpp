// The sample installation against the machine: what Plant lays in is what
// Inspect reports, the test components leave the marks that Inspect looks
// for, and Remove puts the machine back as it was.
#include "sample/Sample.h"

#include "support/TestSupport.h"
#include "sysops/FsRedirection.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr DWORD kProgramTimeoutMs = 60000;
constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
// The identity component, under the program-files directory.
constexpr char kIdentityInTree[] = "\\TQM\\Morvane\\Installation\\Seal5\\idsl5in.dll";

std::string Variable(const char* name)
{
    char value[512] = {};
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

std::vector<REGSAM> Views()
{
    if (IsWow64())
        return {kView32, kView64};
    return {REGSAM{0}};
}

// ---- A fingerprint of every place the sample touches ----------------------

constexpr const char* kRecursiveKeys[] = {
    "Software\\TQM",
    "Software\\Siemens",
    "Software\\Siemens Informatica",
    "Software\\Microsoft\\Cryptography\\Calais",
    "Software\\Microsoft\\Cryptography\\Defaults\\Provider",
    "Software\\Microsoft\\Cryptography\\OID\\EncodingType 0\\CertDllOpenStoreProv",
    "Software\\Microsoft\\Terminal Server Client",
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Management",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Installer",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    "Software\\Classes\\Installer",
    "Software\\Classes\\AppID",
    "System\\CurrentControlSet\\Control\\Class\\{50DD5230-BA8A-11D1-BF5D-0000F805F530}",
};
// Too big to read whole: their subkeys' names only.
constexpr const char* kListedKeys[] = {
    "Software",
    "Software\\Classes",
    "Software\\Classes\\CLSID",
    "Software\\Classes\\TypeLib",
    "System\\CurrentControlSet\\Services",
    "System\\CurrentControlSet\\Services\\EventLog\\System",
};

void AddKeyTree(HKEY key, const std::string& path, const std::string& tag, std::set<std::string>& lines)
{
    lines.insert(tag + " key " + path);
    char name[1024];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        DWORD dataLength = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS)
            break;
        std::string text(reinterpret_cast<const char*>(data), dataLength);
        lines.insert(tag + " value " + path + " : " + name + " = " + std::to_string(type) + ":" + text);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY child = nullptr;
        const std::string childPath = path + "\\" + name;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            AddKeyTree(child, childPath, tag, lines);
            RegCloseKey(child);
        }
    }
}

void AddKeyNames(HKEY key, const std::string& path, const std::string& tag, std::set<std::string>& lines)
{
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        lines.insert(tag + " subkey " + path + "\\" + name);
    }
}

void AddDirTree(const std::string& dir, bool recursive, std::set<std::string>& lines)
{
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = dir + "\\" + name;
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        lines.insert((folder ? "dir " : "file ") + path + " " + std::to_string(found.nFileSizeLow));
        if (folder && recursive)
            AddDirTree(path, true, lines);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::set<std::string> Fingerprint()
{
    std::set<std::string> lines;
    for (REGSAM view : Views()) {
        const std::string tag = view == kView32 ? "[32]" : view == kView64 ? "[64]" : "[]";
        for (const char* path : kRecursiveKeys) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) == ERROR_SUCCESS) {
                AddKeyTree(key, path, tag, lines);
                RegCloseKey(key);
            }
        }
        for (const char* path : kListedKeys) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) == ERROR_SUCCESS) {
                AddKeyNames(key, path, tag, lines);
                RegCloseKey(key);
            }
        }
    }
    const std::string windows = Variable("WINDIR");
    AddDirTree("C:", false, lines);
    AddDirTree(windows, false, lines);
    AddDirTree(windows + "\\Installer", true, lines);
    AddDirTree(windows + "\\Start Menu", true, lines);
    AddDirTree(windows + "\\Profiles", true, lines);
    AddDirTree(Variable("PROGRAMFILES"), true, lines);
    AddDirTree(Variable("ALLUSERSPROFILE"), true, lines);
    AddDirTree(windows + (IsWow64() ? "\\SysWOW64" : "\\system32"), false, lines);
    {
        sysops::ScopedFsRedirectionOff native(IsWow64());
        AddDirTree(windows + "\\system32", false, lines);
        AddDirTree(windows + "\\system32\\drivers", false, lines);
    }
    return lines;
}

// What one fingerprint has that the other lacks, for the failure message.
std::string Difference(const std::set<std::string>& before, const std::set<std::string>& after)
{
    std::string text;
    for (const std::string& line : after) {
        if (!before.count(line))
            text += "  + " + line + "\n";
    }
    for (const std::string& line : before) {
        if (!after.count(line))
            text += "  - " + line + "\n";
    }
    return text;
}

// ---- Acting as the uninstaller's outside programs are started -------------

int RunIn(const std::string& folder, const std::string& commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return -1;
    CloseHandle(process.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, kProgramTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

void CallExport(const std::string& library, const char* name)
{
    const HMODULE module = LoadLibraryA(library.c_str());
    ASSERT_NE(module, nullptr) << library;
    using Export = int(WINAPI*)();
    const auto function = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    EXPECT_NE(function, nullptr) << name;
    if (function != nullptr)
        function();
    FreeLibrary(module);
}

// Ends every process of this image name, as the uninstaller's first steps do.
void EndAll(const char* image)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, image) != 0)
            continue;
        const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        TerminateProcess(process, 0);
        WaitForSingleObject(process, kProgramTimeoutMs);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}

void StopService(const char* name)
{
    const SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = OpenServiceA(manager, name, SERVICE_STOP | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    EXPECT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status)) << GetLastError();
    for (int i = 0; i < 100 && QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED; ++i)
        Sleep(100);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

// ---- Looking items up in an inspection ------------------------------------

const sample::ItemState* Find(const std::vector<sample::ItemState>& items, const char* kind, const std::string& where)
{
    for (const sample::ItemState& item : items) {
        if (item.kind == std::string(kind) && item.where == where)
            return &item;
    }
    return nullptr;
}

void ExpectAllAsPlanted(const std::vector<sample::ItemState>& items)
{
    ASSERT_FALSE(items.empty());
    for (const sample::ItemState& item : items) {
        if (item.group == sample::Group::Marks) {
            EXPECT_FALSE(item.present) << item.where << ": no run has happened";
        } else {
            EXPECT_TRUE(item.present) << item.kind << " " << item.where << " " << item.detail;
        }
    }
}

bool PackageBBuilt() { return PathExists(TestBinDir() + "\\packageB.msi"); }

// A sample that is removed whatever the test does.
class PlantedSample {
public:
    explicit PlantedSample(const sample::Variant& variant) : variant_(variant)
    {
        sample::Remove(variant_);
        before_ = Fingerprint();
        result_ = sample::Plant(variant_);
    }
    ~PlantedSample() { sample::Remove(variant_); }
    PlantedSample(const PlantedSample&) = delete;
    PlantedSample& operator=(const PlantedSample&) = delete;

    const sample::PlantResult& Result() const { return result_; }
    const std::set<std::string>& Before() const { return before_; }

private:
    sample::Variant variant_;
    std::set<std::string> before_;
    sample::PlantResult result_;
};

void ExpectPlantedCleanly(const PlantedSample& planted)
{
    for (const std::string& failure : planted.Result().failures)
        ADD_FAILURE() << "not planted: " << failure;
    EXPECT_EQ(planted.Result().realPackageB, PackageBBuilt());
}

TEST(SampleInstallation, WhatIsPlantedIsReportedAndRemoveRestoresTheMachine)
{
    sample::Variant variant = sample::ThisMachine();
    variant.neighbours = sample::Neighbours::Absent;
    variant.gina = sample::Gina::WithPath;
    variant.installDirFrom = sample::InstallDirFrom::Search;
    std::set<std::string> before;
    {
        PlantedSample planted(variant);
        before = planted.Before();
        ExpectPlantedCleanly(planted);
        const std::vector<sample::ItemState> items = sample::Inspect(variant);
        ExpectAllAsPlanted(items);

        // Checked here without the sample's code: the views and folders the items went to.
        const REGSAM v0 = IsWow64() ? kView32 : 0;
        const REGSAM v1 = IsWow64() ? kView64 : 0;
        EXPECT_TRUE(RegKeyExists("Software\\TQM\\Morvane", v0));
        EXPECT_FALSE(RegValueExists("Software\\TQM\\CardBridge\\Main", "MorvDir", v0)) << "found by search only";
        EXPECT_EQ(RegGetString("Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "GinaDLL", v0),
                  "C:\\WINDOWS\\System32\\TQSPEGINA.DLL");
        EXPECT_TRUE(RegKeyExists(kUninstall + std::string("\\{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}"), v1));
        const std::string windows = Variable("WINDIR");
        const std::string install = Variable("PROGRAMFILES") + "\\TQM\\Morvane";
        EXPECT_TRUE(PathExists(install + "\\Installation\\Seal5\\idsl5in.dll"));
        EXPECT_TRUE(PathExists(Variable("ALLUSERSPROFILE") + "\\Start Menu\\Programs\\Startup\\scmon.lnk"));
        const std::string system32 = windows + (IsWow64() ? "\\SysWOW64" : "\\system32");
        const DWORD readOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
        EXPECT_EQ(GetFileAttributesA((system32 + "\\tqcsp.dll").c_str()) & readOnlyHidden, readOnlyHidden);
        if (IsWow64()) {
            EXPECT_FALSE(RegKeyExists("Software\\TQM\\Morvane", kView64));
            const std::string sharedName = windows + "\\system32\\tqcsp.dll";  // the native path, in view 0
            EXPECT_TRUE(RegValueExists(kSharedDlls, sharedName.c_str(), kView32));
            EXPECT_FALSE(PathExists(windows + "\\SysWOW64\\tqcsp64.dll"));
            sysops::ScopedFsRedirectionOff native;
            ASSERT_TRUE(native.IsOff());
            EXPECT_TRUE(PathExists(windows + "\\system32\\tqcsp64.dll"));
            EXPECT_TRUE(PathExists(windows + "\\system32\\drivers\\TqScFilter.sys"));
        }
    }
    EXPECT_EQ(Difference(before, Fingerprint()), "");
    for (const sample::ItemState& item : sample::Inspect(variant)) {
        const bool systemFile = item.where.size() > 12 && item.where.substr(item.where.size() - 12) == "advapi32.dll";
        EXPECT_EQ(item.present, systemFile) << item.kind << " " << item.where;
    }
    EXPECT_FALSE(PathExists(sample::kSampleRoot));
}

TEST(SampleInstallation, TestComponentsLeaveTheMarksOfARun)
{
    sample::Variant variant = sample::ThisMachine();
    variant.gina = sample::Gina::Other;
    PlantedSample planted(variant);
    ExpectPlantedCleanly(planted);
    ASSERT_TRUE(planted.Result().failures.empty());

    // What the uninstaller does with them, done by hand.
    const std::string windows = Variable("WINDIR");
    const std::string system32 = windows + (IsWow64() ? "\\SysWOW64" : "\\system32");
    CallExport(Variable("PROGRAMFILES") + kIdentityInTree, "SealIdentityUninstall");
    EXPECT_EQ(RunIn(system32, "regsvr32.exe -s -u APICore.dll"), 0);
    EXPECT_EQ(RunIn(system32, "scmon.exe -unregserver"), 0);
    EndAll("scmon.exe");
    EndAll("certmng.exe");
    StopService("TQcltsrv");

    const std::vector<sample::ItemState> items = sample::Inspect(variant);
    for (const sample::ItemState& item : items) {
        if (item.group == sample::Group::Marks) {
            EXPECT_TRUE(item.present) << item.where << " [" << item.detail << "]";
        }
    }
    for (const char* image : {"scmon.exe", "certmng.exe"}) {
        const sample::ItemState* process = Find(items, "process", image);
        ASSERT_NE(process, nullptr) << image;
        EXPECT_FALSE(process->present) << image;
        EXPECT_STREQ(sample::Verdict(*process), "ok");
    }
    for (const char* image : {"otherapp.exe", "scmonitor.exe"}) {
        const sample::ItemState* process = Find(items, "process", image);
        ASSERT_NE(process, nullptr) << image;
        EXPECT_TRUE(process->present) << image;
    }
    // The other product's GINA must stay; the product's files were not touched.
    const std::string winlogon = IsWow64() ? "HKLM[32]\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"
                                           : "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    const sample::ItemState* gina = Find(items, "value", winlogon + " : GinaDLL");
    ASSERT_NE(gina, nullptr);
    EXPECT_EQ(gina->group, sample::Group::Others);
    EXPECT_STREQ(sample::Verdict(*gina), "ok");
    const sample::ItemState* identity = Find(items, "file", Variable("PROGRAMFILES") + kIdentityInTree);
    ASSERT_NE(identity, nullptr);
    EXPECT_STREQ(sample::Verdict(*identity), "STILL THERE");
}

// 98 and NT 4 keep the menu elsewhere, run the product as programs rather
// than a service, and have no filter-driver step. Their versions are
// accepted by a 32-bit Wine machine only.
TEST(SampleInstallation, OlderWindowsHaveTheirOwnMenuAndPrograms)
{
    struct Case {
        const char* version;
        int osClass;
        const char* menu;  // under the Windows directory
    };
    const Case cases[] = {
        {"nt40", 4, "\\Profiles\\All Users\\Start Menu\\Programs"},
        {"win98", 2, "\\Start Menu\\Programs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ScopedWindowsVersion version(c.version);
        if (version.Refused())
            GTEST_SKIP() << "this Wine machine does not take the version " << c.version << " (a 64-bit one never does)";
        // The version reaches new processes (msiexec, the uninstaller), not this one.
        sample::Variant variant = sample::ThisMachine();
        variant.osClass = c.osClass;
        std::set<std::string> before;
        {
            PlantedSample planted(variant);
            before = planted.Before();
            ExpectPlantedCleanly(planted);
            const std::vector<sample::ItemState> items = sample::Inspect(variant);
            ExpectAllAsPlanted(items);
            EXPECT_TRUE(PathExists(Variable("WINDIR") + c.menu + "\\TQV\\Morvane\\Readme.lnk"));
            EXPECT_EQ(Find(items, "service", "TQcltsrv"), nullptr);
            const sample::ItemState* daemon = Find(items, "process", "tqdaemon.exe");
            ASSERT_NE(daemon, nullptr);
            EXPECT_TRUE(daemon->present);
            const std::string driver = Variable("WINDIR") + "\\system32\\drivers\\TqScFilter.sys";
            const sample::ItemState* filter = Find(items, "file", driver);
            ASSERT_NE(filter, nullptr);
            EXPECT_TRUE(filter->presentAfterRun) << "no driver step before Windows 2000";
        }
        EXPECT_EQ(Difference(before, Fingerprint()), "");
    }
}

TEST(SampleVariants, ChoicesDecideWhatARunMustLeave)
{
    sample::Variant variant = sample::ThisMachine();
    ASSERT_GE(variant.osClass, 5) << "the machine reports an older Windows than these cases expect";
    const std::string tqm = Variable("PROGRAMFILES") + "\\TQM";
    for (sample::Neighbours neighbours : {sample::Neighbours::Present, sample::Neighbours::Absent}) {
        variant.neighbours = neighbours;
        const sample::ItemState* folder = Find(sample::Inspect(variant), "folder", tqm);
        ASSERT_NE(folder, nullptr);
        EXPECT_EQ(folder->presentAfterRun, neighbours == sample::Neighbours::Present);
    }

    sample::Variant parsed;
    for (const char* word : {"class=4", "neighbours=no", "gina=path", "installdir=search"})
        EXPECT_TRUE(sample::ParseVariantOption(word, parsed)) << word;
    EXPECT_EQ(sample::DescribeVariant(parsed), "class=4 neighbours=no gina=path installdir=search");
    for (const char* word : {"class=1", "class=13", "class=", "gina=PATH", "win64=yes", "neighbours"})
        EXPECT_FALSE(sample::ParseVariantOption(word, parsed)) << word;

    // Wine keeps the readers in one key for both views, so there is no
    // 32-bit copy to leave; the providers have a copy in each.
    if (IsWow64()) {
        const std::vector<sample::ItemState> items = sample::Inspect(sample::ThisMachine());
        const std::string readers = "\\Software\\Microsoft\\Cryptography\\Calais\\Readers\\Quenmark Tokette 0";
        EXPECT_EQ(Find(items, "key", "HKLM[32]" + readers), nullptr);
        ASSERT_NE(Find(items, "key", "HKLM[64]" + readers), nullptr);
        const std::string provider = "HKLM[64]\\Software\\Microsoft\\Cryptography\\Defaults\\Provider";
        const sample::ItemState* scannel = Find(items, "key", provider + "\\TQ RSA SCannel Cryptographic Provider");
        ASSERT_NE(scannel, nullptr);
        EXPECT_TRUE(scannel->presentAfterRun);
    }
}

}  // namespace
