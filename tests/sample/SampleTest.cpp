// The sample installation against the machine: what Plant lays in is what
// Inspect reports, the test components leave the marks that Inspect looks
// for, and Remove puts the machine back as it was.
#include "sample/Sample.h"

#include "machine/Child.h"
#include "machine/Environment.h"
#include "machine/Files.h"
#include "machine/Paths.h"
#include "machine/Processes.h"
#include "machine/Registry.h"
#include "machine/Services.h"
#include "machine/Views.h"
#include "machine/WindowsVersion.h"
#include "sysops/FsRedirection.h"
#include "sysops/Handles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <set>
#include <string>
#include <vector>

using namespace machine;

namespace {

constexpr TimeOut kProgramTimeOut = std::chrono::seconds(60);
constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
// The identity component, under the program-files directory.
constexpr char kIdentityInTree[] = "\\TQM\\Morvane\\Installation\\Seal5\\idsl5in.dll";

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

void AddKeyTree(const std::string& key, REGSAM view, std::set<std::string>& lines)
{
    if (!KeyExists(key, view))
        return;
    const std::string tag = ViewName(view) + " ";
    lines.insert(tag + "key " + key);
    for (const Value& value : Values(key, view))
        lines.insert(tag + "value " + key + " : " + value.name + " = " + std::to_string(value.type) + ":" + value.data);
    for (const std::string& name : SubkeyNames(key, view))
        AddKeyTree(key + "\\" + name, view, lines);
}

void AddKeyNames(const std::string& key, REGSAM view, std::set<std::string>& lines)
{
    for (const std::string& name : SubkeyNames(key, view))
        lines.insert(ViewName(view) + " subkey " + key + "\\" + name);
}

void AddDirTree(const std::string& dir, bool recursive, std::set<std::string>& lines)
{
    for (const DirEntry& entry : ListDir(dir)) {
        const std::string path = dir + "\\" + entry.name;
        const bool folder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        lines.insert((folder ? "dir " : "file ") + path + " " + std::to_string(entry.size));
        if (folder && recursive)
            AddDirTree(path, true, lines);
    }
}

std::set<std::string> Fingerprint()
{
    std::set<std::string> lines;
    for (REGSAM view : AllViews()) {
        for (const char* key : kRecursiveKeys)
            AddKeyTree(key, view, lines);
        for (const char* key : kListedKeys)
            AddKeyNames(key, view, lines);
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
    return RunAndWait(Launch{commandLine, folder, {}, StandardHandles::Shared}, kProgramTimeOut);
}

::testing::AssertionResult CallExport(const std::string& library, const char* name)
{
    const sysops::UniqueLibrary module(LoadLibraryA(library.c_str()));
    if (!module)
        return ::testing::AssertionFailure() << "cannot load " << library << " (error " << GetLastError() << ")";
    using Export = int(WINAPI*)();
    const auto function = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module.Get(), name)));
    if (function == nullptr)
        return ::testing::AssertionFailure() << library << " does not export " << name;
    function();
    return ::testing::AssertionSuccess();
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

// Every item of the product and of others present, and no mark yet.
::testing::AssertionResult AllAsPlanted(const std::vector<sample::ItemState>& items)
{
    if (items.empty())
        return ::testing::AssertionFailure() << "the inspection found no items";
    std::string wrong;
    for (const sample::ItemState& item : items) {
        const bool marks = item.group == sample::Group::Marks;
        if (item.present == marks)
            wrong += std::string("\n  ") + (marks ? "mark before any run: " : "not planted: ") + item.kind + " " +
                     item.where + " " + item.detail;
    }
    if (wrong.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong;
}

bool PackageBBuilt() { return Exists(TestBinDir() + "\\packageB.msi"); }

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
    std::vector<sample::ItemState> Inspect() const { return sample::Inspect(variant_); }

    // Removes the sample now: whether the machine is as it was before.
    ::testing::AssertionResult Restored() const
    {
        sample::Remove(variant_);
        const std::string difference = Difference(before_, Fingerprint());
        if (difference.empty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "what the sample changed for good:\n" << difference;
    }

private:
    sample::Variant variant_;
    std::set<std::string> before_;
    sample::PlantResult result_;
};

// Every item laid in and reported as such, and package B by msiexec
// whenever its database was built.
::testing::AssertionResult PlantedCleanly(const PlantedSample& planted)
{
    std::string wrong;
    for (const std::string& failure : planted.Result().failures)
        wrong += "\n  not planted: " + failure;
    if (planted.Result().realPackageB != PackageBBuilt())
        wrong += std::string("\n  package B ") +
                 (PackageBBuilt() ? "built but not installed by msiexec" : "installed without its database");
    const ::testing::AssertionResult reported = AllAsPlanted(planted.Inspect());
    if (!reported)
        wrong += reported.message();
    if (wrong.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong;
}

TEST(SampleInstallation, WhatIsPlantedIsReportedAndRemoveRestoresTheMachine)
{
    sample::Variant variant = sample::ThisMachine();
    variant.neighbours = sample::Neighbours::Absent;
    variant.gina = sample::Gina::WithPath;
    variant.installDirFrom = sample::InstallDirFrom::Search;
    {
        const PlantedSample planted(variant);
        EXPECT_TRUE(PlantedCleanly(planted));

        // Checked here without the sample's code: the views and folders the items went to.
        const REGSAM v0 = OwnView();
        const REGSAM v1 = NativeView();
        EXPECT_TRUE(KeyExists("Software\\TQM\\Morvane", v0));
        EXPECT_FALSE(ValueExists("Software\\TQM\\CardBridge\\Main", "MorvDir", v0)) << "found by search only";
        EXPECT_EQ(StringValue("Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "GinaDLL", v0),
                  "C:\\WINDOWS\\System32\\TQSPEGINA.DLL");
        EXPECT_TRUE(KeyExists(kUninstall + std::string("\\{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}"), v1));
        const std::string windows = Variable("WINDIR");
        const std::string install = Variable("PROGRAMFILES") + "\\TQM\\Morvane";
        EXPECT_TRUE(Exists(install + "\\Installation\\Seal5\\idsl5in.dll"));
        EXPECT_TRUE(Exists(Variable("ALLUSERSPROFILE") + "\\Start Menu\\Programs\\Startup\\scmon.lnk"));
        const std::string system32 = windows + (IsWow64() ? "\\SysWOW64" : "\\system32");
        const DWORD readOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
        EXPECT_EQ(GetFileAttributesA((system32 + "\\tqcsp.dll").c_str()) & readOnlyHidden, readOnlyHidden);
        if (IsWow64()) {
            EXPECT_FALSE(KeyExists("Software\\TQM\\Morvane", kView64));
            const std::string sharedName = windows + "\\system32\\tqcsp.dll";  // the native path, in view 0
            EXPECT_TRUE(ValueExists(kSharedDlls, sharedName.c_str(), kView32));
            EXPECT_FALSE(Exists(windows + "\\SysWOW64\\tqcsp64.dll"));
            sysops::ScopedFsRedirectionOff native;
            ASSERT_TRUE(native.IsOff());
            EXPECT_TRUE(Exists(windows + "\\system32\\tqcsp64.dll"));
            EXPECT_TRUE(Exists(windows + "\\system32\\drivers\\TqScFilter.sys"));
        }
        EXPECT_TRUE(planted.Restored());
    }
    for (const sample::ItemState& item : sample::Inspect(variant)) {
        const bool systemFile = item.where.size() > 12 && item.where.substr(item.where.size() - 12) == "advapi32.dll";
        EXPECT_EQ(item.present, systemFile) << item.kind << " " << item.where;
    }
    EXPECT_FALSE(Exists(sample::kSampleRoot));
}

TEST(SampleInstallation, TestComponentsLeaveTheMarksOfARun)
{
    sample::Variant variant = sample::ThisMachine();
    variant.gina = sample::Gina::Other;
    const PlantedSample planted(variant);
    EXPECT_TRUE(PlantedCleanly(planted));
    ASSERT_TRUE(planted.Result().failures.empty());

    // What the uninstaller does with them, done by hand.
    const std::string windows = Variable("WINDIR");
    const std::string system32 = windows + (IsWow64() ? "\\SysWOW64" : "\\system32");
    EXPECT_TRUE(CallExport(Variable("PROGRAMFILES") + kIdentityInTree, "SealIdentityUninstall"));
    EXPECT_EQ(RunIn(system32, "regsvr32.exe -s -u APICore.dll"), 0);
    EXPECT_EQ(RunIn(system32, "scmon.exe -unregserver"), 0);
    // Ended with 0, as the uninstaller ends them.
    EndAll("scmon.exe", 0);
    EndAll("certmng.exe", 0);
    EXPECT_TRUE(ControlServiceAndWait("TQcltsrv", SERVICE_CONTROL_STOP, SERVICE_STOPPED)) << GetLastError();

    const std::vector<sample::ItemState> items = planted.Inspect();
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
struct OlderWindowsCase {
    const char* version;
    int osClass;
    const char* menu;  // under the Windows directory
};

// Names the case in test lists.
void PrintTo(const OlderWindowsCase& c, std::ostream* out)
{
    *out << c.version;
}

class OlderWindows : public ::testing::TestWithParam<OlderWindowsCase> {};

TEST_P(OlderWindows, HaveTheirOwnMenuAndPrograms)
{
    const OlderWindowsCase& c = GetParam();
    ScopedWindowsVersion version(c.version);
    if (version.Refused())
        GTEST_SKIP() << "this Wine machine does not take the version " << c.version << " (a 64-bit one never does)";
    // The version reaches new processes (msiexec, the uninstaller), not this one.
    sample::Variant variant = sample::ThisMachine();
    variant.osClass = c.osClass;
    const PlantedSample planted(variant);
    EXPECT_TRUE(PlantedCleanly(planted));
    const std::vector<sample::ItemState> items = planted.Inspect();
    EXPECT_TRUE(Exists(Variable("WINDIR") + c.menu + "\\TQV\\Morvane\\Readme.lnk"));
    EXPECT_EQ(Find(items, "service", "TQcltsrv"), nullptr);
    const sample::ItemState* daemon = Find(items, "process", "tqdaemon.exe");
    ASSERT_NE(daemon, nullptr);
    EXPECT_TRUE(daemon->present);
    const std::string driver = Variable("WINDIR") + "\\system32\\drivers\\TqScFilter.sys";
    const sample::ItemState* filter = Find(items, "file", driver);
    ASSERT_NE(filter, nullptr);
    EXPECT_TRUE(filter->presentAfterRun) << "no driver step before Windows 2000";
    EXPECT_TRUE(planted.Restored());
}

const OlderWindowsCase kOlderWindows[] = {
    {"nt40", 4, "\\Profiles\\All Users\\Start Menu\\Programs"},
    {"win98", 2, "\\Start Menu\\Programs"},
};

INSTANTIATE_TEST_SUITE_P(SampleInstallation, OlderWindows, ::testing::ValuesIn(kOlderWindows));

TEST(SampleVariants, ChoicesDecideWhatARunMustLeave)
{
    sample::Variant variant = sample::ThisMachine();
    ASSERT_GE(variant.osClass, 5) << "the machine reports an older Windows than these cases expect";
    const std::string tqm = Variable("PROGRAMFILES") + "\\TQM";
    for (sample::Neighbours neighbours : {sample::Neighbours::Present, sample::Neighbours::Absent}) {
        variant.neighbours = neighbours;
        const std::vector<sample::ItemState> items = sample::Inspect(variant);
        const sample::ItemState* folder = Find(items, "folder", tqm);
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
