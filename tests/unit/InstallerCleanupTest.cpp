#include "sysops/InstallerCleanup.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace testing_support;

namespace {

constexpr char kUserData[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData";
constexpr char kPackageA[] = "72A3F1B659C4D0E4A9263D8E07C5B149";
constexpr char kPackageALower[] = "72a3f1b659c4d0e4a9263d8e07c5b149";
constexpr char kOtherProduct[] = "0F1E2D3C4B5A69788796A5B4C3D2E1F0";

constexpr char kPackageBCode[] = "{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}";
constexpr char kPackageBPacked[] = "1E49C7D26B0A83F4E851C6B4F9A0D237";
constexpr char kPackageBUpgradePacked[] = "4A1E3C85D7B219F4680A4D7B9EC3F521";
// The packed codes of packageB.wxs's two components.
constexpr char kReadmeComponent[] = "92AE6D013797CC5489CB2B04DCE90625";
constexpr char kDataComponent[] = "5EA995A472995BC4A887672A938FC06A";

constexpr char kUser1[] = "S-1-5-21-7777777777-8888888888-999999999-1001";
constexpr char kUser2[] = "S-1-5-21-7777777777-8888888888-999999999-1002";
constexpr char kUser3[] = "S-1-5-21-7777777777-8888888888-999999999-1003";

// Where Windows Installer keeps its records: the 64-bit view on 64-bit Windows.
REGSAM InstallerView() { return IsWow64() ? kView64 : 0; }

// Every registry view of this machine.
std::vector<REGSAM> AllViews()
{
    if (IsWow64())
        return {kView32, kView64};
    return {REGSAM{0}};
}

std::string UserKey(const std::string& sid) { return std::string(kUserData) + "\\" + sid; }
std::string ComponentKey(const std::string& sid, const std::string& component)
{
    return UserKey(sid) + "\\Components\\" + component;
}
std::string ProductKey(const std::string& sid, const std::string& product)
{
    return UserKey(sid) + "\\Products\\" + product;
}

// A component code of our own, numbered.
std::string ComponentName(unsigned number)
{
    char text[40];
    std::snprintf(text, sizeof text, "C0FFEE0000000000000000000%07X", number);
    return text;
}

void PlantProduct(const std::string& sid, const std::string& product, REGSAM view)
{
    RegSetString(ProductKey(sid, product) + "\\InstallProperties", "LocalPackage", "C:\\windows\\Installer\\1.msi",
                 view);
    RegSetString(ProductKey(sid, product) + "\\Features", "Complete", "", view);
}

// The synthetic users' keys, gone before and after the test in every view.
class SyntheticUsers {
public:
    explicit SyntheticUsers(const std::vector<std::string>& sids)
    {
        for (const std::string& sid : sids) {
            for (REGSAM view : AllViews())
                keys_.push_back(std::make_unique<ScopedRegKey>(UserKey(sid), view));
        }
    }

private:
    std::vector<std::unique_ptr<ScopedRegKey>> keys_;
};

// Runs msiexec and waits for it; installs take a few seconds under Wine.
int Msiexec(const std::string& arguments) { return RunAndWait("msiexec.exe " + arguments + " /qn", 180000); }

// Package B installed with the machine's own msiexec into a scratch folder,
// and uninstalled again when the object goes.
class InstalledPackageB {
public:
    InstalledPackageB(const std::string& msi, const std::string& installDir)
        : installDirArgument_("INSTALLDIR=\"" + installDir + "\"")
    {
        Msiexec(std::string("/x ") + kPackageBCode + " " + installDirArgument_);  // a leftover of an earlier run
        installResult_ = Msiexec("/i \"" + msi + "\" " + installDirArgument_);
    }
    ~InstalledPackageB() { Uninstall(); }
    InstalledPackageB(const InstalledPackageB&) = delete;
    InstalledPackageB& operator=(const InstalledPackageB&) = delete;

    int InstallResult() const { return installResult_; }
    int Uninstall() { return Msiexec(std::string("/x ") + kPackageBCode + " " + installDirArgument_); }

private:
    std::string installDirArgument_;
    int installResult_ = -1;
};

TEST(InstallerUserData, GenuineRecordsOfPackageBStay)
{
    const std::string msi = TestBinDir() + "\\packageB.msi";
    if (!PathExists(msi)) {
        GTEST_SKIP() << "packageB.msi was not built (wixl was not found)";
    }
    const REGSAM view = InstallerView();
    const std::string system = "S-1-5-18";
    ScratchDir target("msi");
    // What the test plants beside the genuine records, gone even when the cleanup fails.
    ScopedRegKey plantedProduct(ProductKey(system, kPackageA), view);
    ScopedRegKey sharedComponent(ComponentKey(system, kReadmeComponent), view);
    InstalledPackageB package(msi, target / "PackageB");
    ASSERT_EQ(package.InstallResult(), 0);

    // What msiexec writes: the product under the local system's user data,
    // one key per component naming the product, the product's advertised
    // records and its upgrade code, all in the installer's view.
    const std::string properties = ProductKey(system, kPackageBPacked) + "\\InstallProperties";
    const std::string localPackage = RegGetString(properties, "LocalPackage", view);
    EXPECT_TRUE(PathExists(localPackage)) << localPackage;
    const std::string readme = ComponentKey(system, kReadmeComponent);
    EXPECT_EQ(RegGetString(readme, kPackageBPacked, view), target / "PackageB\\readme.txt");
    EXPECT_EQ(RegGetString(ComponentKey(system, kDataComponent), kPackageBPacked, view),
              target / "PackageB\\data\\data.txt");
    EXPECT_TRUE(RegKeyExists(std::string("Software\\Classes\\Installer\\Products\\") + kPackageBPacked, view));
    EXPECT_TRUE(RegValueExists(std::string("Software\\Classes\\Installer\\UpgradeCodes\\") + kPackageBUpgradePacked,
                               kPackageBPacked, view));
    if (IsWow64()) {
        EXPECT_FALSE(RegKeyExists(properties, kView32)) << "the records are in the 64-bit view only";
    }

    // Package A sharing one of B's components, and A's own product record.
    RegSetString(readme, kPackageA, "C:\\Morvane\\readme.txt", view);
    PlantProduct(system, kPackageA, view);

    sysops::CleanInstallerUserData(kPackageA);

    EXPECT_FALSE(RegValueExists(readme, kPackageA, view));
    EXPECT_EQ(RegGetString(readme, kPackageBPacked, view), target / "PackageB\\readme.txt");
    EXPECT_TRUE(RegValueExists(ComponentKey(system, kDataComponent), kPackageBPacked, view));
    EXPECT_FALSE(RegKeyExists(ProductKey(system, kPackageA), view));
    EXPECT_EQ(RegGetString(properties, "LocalPackage", view), localPackage);

    // Package B still uninstalls cleanly through Windows Installer.
    EXPECT_EQ(package.Uninstall(), 0);
    EXPECT_FALSE(RegKeyExists(ProductKey(system, kPackageBPacked), view));
    EXPECT_FALSE(RegKeyExists(readme, view));
    EXPECT_FALSE(PathExists(target / "PackageB\\readme.txt"));
}

TEST(InstallerUserData, RemovesOnlyPackageAFromEveryUser)
{
    SyntheticUsers users({kUser1, kUser2, kUser3});
    const REGSAM view = InstallerView();
    const std::string shared = ComponentKey(kUser1, ComponentName(1));
    const std::string onlyA = ComponentKey(kUser1, ComponentName(2));
    const std::string withSubkey = ComponentKey(kUser1, ComponentName(3));
    const std::string otherOnly = ComponentKey(kUser1, ComponentName(4));
    // Package A's value second, and in lower case as some installers write it.
    RegSetString(shared, kOtherProduct, "C:\\Other\\a.dll", view);
    RegSetString(shared, kPackageALower, "C:\\Morvane\\a.dll", view);
    RegSetString(onlyA, kPackageA, "C:\\Morvane\\b.dll", view);
    RegSetString(withSubkey, kPackageA, "C:\\Morvane\\c.dll", view);
    RegCreate(withSubkey + "\\Sub", view);
    RegSetString(otherOnly, kOtherProduct, "C:\\Other\\d.dll", view);
    // A value name too long for the name buffer does not end the walk.
    const std::string longName(600, '0');
    const std::string afterLongName = ComponentKey(kUser1, ComponentName(6));
    RegSetString(afterLongName, longName.c_str(), "C:\\Other\\f.dll", view);
    RegSetString(afterLongName, kPackageA, "C:\\Morvane\\f.dll", view);
    PlantProduct(kUser1, kPackageA, view);
    PlantProduct(kUser1, kOtherProduct, view);
    // A user without a Components key, with the product key in lower case.
    PlantProduct(kUser2, kPackageALower, view);
    if (IsWow64()) {
        // The other view: a key of the same path holding another product
        // only, and records that only the 32-bit view holds.
        RegSetString(onlyA, kOtherProduct, "C:\\Other\\b.dll", kView32);
        RegSetString(ComponentKey(kUser3, ComponentName(5)), kPackageA, "C:\\Morvane\\e.dll", kView32);
        PlantProduct(kUser3, kPackageA, kView32);
    }

    sysops::CleanInstallerUserData(kPackageA);

    EXPECT_FALSE(RegValueExists(shared, kPackageA, view));
    EXPECT_EQ(RegGetString(shared, kOtherProduct, view), "C:\\Other\\a.dll");
    EXPECT_FALSE(RegKeyExists(onlyA, view));
    EXPECT_FALSE(RegValueExists(withSubkey, kPackageA, view));
    EXPECT_TRUE(RegKeyExists(withSubkey + "\\Sub", view));
    EXPECT_EQ(RegGetString(otherOnly, kOtherProduct, view), "C:\\Other\\d.dll");
    EXPECT_FALSE(RegValueExists(afterLongName, kPackageA, view));
    EXPECT_TRUE(RegValueExists(afterLongName, longName.c_str(), view));
    EXPECT_FALSE(RegKeyExists(ProductKey(kUser1, kPackageA), view));
    EXPECT_TRUE(RegKeyExists(ProductKey(kUser1, kOtherProduct) + "\\InstallProperties", view));
    EXPECT_FALSE(RegKeyExists(ProductKey(kUser2, kPackageA), view));
    EXPECT_TRUE(RegKeyExists(UserKey(kUser2) + "\\Products", view));
    if (IsWow64()) {
        EXPECT_EQ(RegGetString(onlyA, kOtherProduct, kView32), "C:\\Other\\b.dll");
        EXPECT_FALSE(RegKeyExists(ComponentKey(kUser3, ComponentName(5)), kView32));
        EXPECT_FALSE(RegKeyExists(ProductKey(kUser3, kPackageA), kView32));
    }
}

TEST(InstallerUserData, StopsAfterTheUserWithTheHundredthRecord)
{
    SyntheticUsers users({kUser1, kUser2});
    const REGSAM view = InstallerView();
    // 101 matching components: the search stops at 100, but the same user's
    // products are still checked; the next user is not visited.
    for (unsigned n = 0; n <= 100; ++n)
        RegSetString(ComponentKey(kUser1, ComponentName(n)), kPackageA, "C:\\Morvane\\x.dll", view);
    PlantProduct(kUser1, kPackageA, view);
    RegSetString(ComponentKey(kUser2, ComponentName(0)), kPackageA, "C:\\Morvane\\x.dll", view);
    PlantProduct(kUser2, kPackageA, view);
    // Each view is a scan of its own, with its own limit.
    if (IsWow64()) {
        for (unsigned n = 0; n < 100; ++n)
            RegSetString(ComponentKey(kUser1, ComponentName(n)), kPackageA, "C:\\Morvane\\x.dll", kView32);
        PlantProduct(kUser1, kPackageA, kView32);
    }

    sysops::CleanInstallerUserData(kPackageA);

    for (unsigned n = 0; n < 100; ++n)
        EXPECT_FALSE(RegKeyExists(ComponentKey(kUser1, ComponentName(n)), view)) << n;
    EXPECT_TRUE(RegKeyExists(ComponentKey(kUser1, ComponentName(100)), view));
    EXPECT_FALSE(RegKeyExists(ProductKey(kUser1, kPackageA), view));
    EXPECT_TRUE(RegValueExists(ComponentKey(kUser2, ComponentName(0)), kPackageA, view));
    EXPECT_TRUE(RegKeyExists(ProductKey(kUser2, kPackageA), view));
    if (IsWow64()) {
        EXPECT_FALSE(RegKeyExists(ComponentKey(kUser1, ComponentName(99)), kView32));
        EXPECT_FALSE(RegKeyExists(ProductKey(kUser1, kPackageA), kView32));
    }
}

TEST(InstallerUserData, LeavesPathsTooLongToRemember)
{
    // A user name that makes the product's path 223 characters: it fits the
    // 256-byte buffer it is composed in, but not a 200-byte found-list entry.
    const std::string longUser = "S-1-5-21-" + std::string(111, '7');
    SyntheticUsers users({longUser, kUser1});
    const REGSAM view = InstallerView();
    const std::string product = ProductKey(longUser, kPackageA);
    ASSERT_EQ(product.size(), 223u);
    // What the path would name if it were cut to fit the entry.
    const std::string cutShort = product.substr(0, 199);
    RegSetString(cutShort, "Keep", "1", view);
    RegSetString(ComponentKey(longUser, ComponentName(0)), kPackageA, "C:\\Morvane\\x.dll", view);
    PlantProduct(longUser, kPackageA, view);
    PlantProduct(kUser1, kPackageA, view);

    sysops::CleanInstallerUserData(kPackageA);

    EXPECT_TRUE(RegValueExists(cutShort, "Keep", view));
    EXPECT_TRUE(RegKeyExists(product, view));
    EXPECT_TRUE(RegValueExists(ComponentKey(longUser, ComponentName(0)), kPackageA, view));
    EXPECT_FALSE(RegKeyExists(ProductKey(kUser1, kPackageA), view)) << "the scan goes on after a skipped path";
}

constexpr char kFolders[] = "Software\\MorvTest\\Installer\\Folders";

// The value names of the folder key, in enumeration order.
std::vector<std::string> FolderEntries(REGSAM view)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFolders, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return names;
    char name[1024];
    DWORD length = sizeof name;
    for (DWORD i = 0; RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof name)
        names.emplace_back(name, length);
    RegCloseKey(key);
    return names;
}

void CleanFolders(const char* installDir, const char* menuDir, REGSAM view)
{
    // Folder entries name package B by its code without braces.
    const std::string code(kPackageBCode + 1, std::strlen(kPackageBCode) - 2);
    sysops::CleanInstallerFolders(kFolders, view, installDir, menuDir, code.c_str());
}

TEST(InstallerFolders, DeletesEntriesOfTheProductOnly)
{
    const REGSAM view = InstallerView();
    ScopedRegKey owner("Software\\MorvTest", view);
    const char installDir[] = "C:\\morvtest\\b\\Morvane";
    const char menuDir[] = "C:\\morvtest\\m\\TQV\\Morvane";
    // In the order the registry lists them, so that neighbours are neighbours.
    const std::vector<std::pair<std::string, bool>> entries = {
        {"C:\\morvtest\\a\\keep\\", false},
        // Siblings whose names begin like the product's folders.
        {"C:\\morvtest\\b\\Morvane2\\", false},
        {"C:\\morvtest\\b\\Morvane\\", true},
        {"C:\\morvtest\\b\\Morvane\\bin\\", true},
        {"C:\\morvtest\\b\\Morvane\\bin\\x86\\", true},
        {"C:\\morvtest\\c\\{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}\\", true},
        {"C:\\morvtest\\d\\keep\\", false},
        {"C:\\morvtest\\m\\TQV\\Morvane Reader\\", false},
        {"C:\\morvtest\\m\\TQV\\Morvane\\", true},
        {"C:\\morvtest\\n\\{2d7c94e1-a0b6-4f38-8e15-6c4b9f0a2d73}\\", false},
        {"C:\\morvtest\\z\\keep\\", false},
    };
    std::vector<std::string> planted;
    std::vector<std::string> kept;
    for (const auto& entry : entries) {
        RegSetString(kFolders, entry.first.c_str(), "", view);
        planted.push_back(entry.first);
        if (!entry.second)
            kept.push_back(entry.first);
    }
    ASSERT_EQ(FolderEntries(view), planted);

    CleanFolders(installDir, menuDir, view);
    EXPECT_EQ(FolderEntries(view), kept);

    // The comparison minds letter case: the install directory spelt otherwise stays.
    RegSetString(kFolders, "C:\\MORVTEST\\B\\MORVANE\\", "", view);
    CleanFolders(installDir, menuDir, view);
    EXPECT_TRUE(RegValueExists(kFolders, "C:\\MORVTEST\\B\\MORVANE\\", view));
    EXPECT_EQ(FolderEntries(view).size(), kept.size() + 1);

    // A name the ANSI code page cannot hold (Tibetan) reads back with '?' and
    // cannot be deleted by that name; the entries after it are still looked at.
    HKEY folders = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFolders, 0, KEY_SET_VALUE | view, &folders), ERROR_SUCCESS);
    RegSetValueExW(folders, L"C:\\morvtest\\b\\Morvane\\\x0F00\\", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""),
                   sizeof(wchar_t));
    RegCloseKey(folders);
    RegSetString(kFolders, "C:\\morvtest\\m\\TQV\\Morvane\\", "", view);
    CleanFolders(installDir, menuDir, view);
    EXPECT_FALSE(RegValueExists(kFolders, "C:\\morvtest\\m\\TQV\\Morvane\\", view));
    for (const std::string& name : kept)
        EXPECT_TRUE(RegValueExists(kFolders, name.c_str(), view)) << name;
}

}  // namespace
