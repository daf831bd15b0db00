#include "sysops/InstallerCleanup.h"

#include "machine/Files.h"
#include "machine/Msiexec.h"
#include "machine/Paths.h"
#include "machine/Registry.h"
#include "machine/Views.h"
#include "support/Planting.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace machine;
using namespace testing_support;

namespace {

constexpr const char* kPackageA = kPackageAPacked;
constexpr char kPackageALower[] = "72a3f1b659c4d0e4a9263d8e07c5b149";
constexpr const char* kOtherProduct = kOtherProductPacked;

constexpr char kPackageBCode[] = "{2D7C94E1-A0B6-4F38-8E15-6C4B9F0A2D73}";
constexpr char kPackageBPacked[] = "1E49C7D26B0A83F4E851C6B4F9A0D237";
constexpr char kPackageBUpgradePacked[] = "4A1E3C85D7B219F4680A4D7B9EC3F521";
// The packed codes of packageB.wxs's two components.
constexpr char kReadmeComponent[] = "92AE6D013797CC5489CB2B04DCE90625";
constexpr char kDataComponent[] = "5EA995A472995BC4A887672A938FC06A";

constexpr char kUser1[] = "S-1-5-21-7777777777-8888888888-999999999-1001";
constexpr char kUser2[] = "S-1-5-21-7777777777-8888888888-999999999-1002";
constexpr char kUser3[] = "S-1-5-21-7777777777-8888888888-999999999-1003";

std::string ProductKey(const std::string& sid, const std::string& product)
{
    return InstallerUserKey(sid) + "\\Products\\" + product;
}

// A component code of our own, numbered.
std::string ComponentName(unsigned number)
{
    char text[40];
    std::snprintf(text, sizeof text, "C0FFEE0000000000000000000%07X", number);
    return text;
}

::testing::AssertionResult PlantProduct(const std::string& sid, const std::string& product, REGSAM view)
{
    const std::string key = ProductKey(sid, product);
    ::testing::AssertionResult planted =
        PlantString(key + "\\InstallProperties", "LocalPackage", "C:\\windows\\Installer\\1.msi", view);
    if (planted)
        planted = PlantString(key + "\\Features", "Complete", "", view);
    return planted;
}

// The synthetic users' keys, gone before and after the test in every view.
class SyntheticUsers {
public:
    explicit SyntheticUsers(const std::vector<std::string>& sids)
    {
        for (const std::string& sid : sids) {
            for (REGSAM view : AllViews())
                keys_.push_back(std::make_unique<ScopedRegKey>(InstallerUserKey(sid), view));
        }
    }

private:
    std::vector<std::unique_ptr<ScopedRegKey>> keys_;
};

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
    if (!Exists(msi)) {
        GTEST_SKIP() << "packageB.msi was not built (wixl was not found)";
    }
    const REGSAM view = NativeView();
    const std::string system = "S-1-5-18";
    ScratchDir target("msi");
    // What the test plants beside the genuine records, gone even when the cleanup fails.
    ScopedRegKey plantedProduct(ProductKey(system, kPackageA), view);
    ScopedRegKey sharedComponent(InstallerComponentKey(system, kReadmeComponent), view);
    InstalledPackageB package(msi, target / "PackageB");
    ASSERT_EQ(package.InstallResult(), 0);

    // What msiexec writes: the product under the local system's user data,
    // one key per component naming the product, the product's advertised
    // records and its upgrade code, all in the installer's view.
    const std::string properties = ProductKey(system, kPackageBPacked) + "\\InstallProperties";
    const std::string localPackage = StringValue(properties, "LocalPackage", view);
    EXPECT_TRUE(Exists(localPackage)) << localPackage;
    const std::string readme = InstallerComponentKey(system, kReadmeComponent);
    EXPECT_EQ(StringValue(readme, kPackageBPacked, view), target / "PackageB\\readme.txt");
    EXPECT_EQ(StringValue(InstallerComponentKey(system, kDataComponent), kPackageBPacked, view),
              target / "PackageB\\data\\data.txt");
    EXPECT_TRUE(KeyExists(std::string("Software\\Classes\\Installer\\Products\\") + kPackageBPacked, view));
    EXPECT_TRUE(ValueExists(std::string("Software\\Classes\\Installer\\UpgradeCodes\\") + kPackageBUpgradePacked,
                               kPackageBPacked, view));
    if (IsWow64()) {
        EXPECT_FALSE(KeyExists(properties, kView32)) << "the records are in the 64-bit view only";
    }

    // Package A sharing one of B's components, and A's own product record.
    ASSERT_TRUE(PlantString(readme, kPackageA, "C:\\Morvane\\readme.txt", view));
    ASSERT_TRUE(PlantProduct(system, kPackageA, view));

    sysops::CleanInstallerUserData(kPackageA, RunViews());

    EXPECT_FALSE(ValueExists(readme, kPackageA, view));
    EXPECT_EQ(StringValue(readme, kPackageBPacked, view), target / "PackageB\\readme.txt");
    EXPECT_TRUE(ValueExists(InstallerComponentKey(system, kDataComponent), kPackageBPacked, view));
    EXPECT_FALSE(KeyExists(ProductKey(system, kPackageA), view));
    EXPECT_EQ(StringValue(properties, "LocalPackage", view), localPackage);

    // Package B still uninstalls cleanly through Windows Installer.
    EXPECT_EQ(package.Uninstall(), 0);
    EXPECT_FALSE(KeyExists(ProductKey(system, kPackageBPacked), view));
    EXPECT_FALSE(KeyExists(readme, view));
    EXPECT_FALSE(Exists(target / "PackageB\\readme.txt"));
}

TEST(InstallerUserData, RemovesOnlyPackageAFromEveryUser)
{
    SyntheticUsers users({kUser1, kUser2, kUser3});
    const REGSAM view = NativeView();
    const std::string shared = InstallerComponentKey(kUser1, ComponentName(1));
    const std::string onlyA = InstallerComponentKey(kUser1, ComponentName(2));
    const std::string withSubkey = InstallerComponentKey(kUser1, ComponentName(3));
    const std::string otherOnly = InstallerComponentKey(kUser1, ComponentName(4));
    // Package A's value second, and in lower case as some installers write it.
    ASSERT_TRUE(PlantString(shared, kOtherProduct, "C:\\Other\\a.dll", view));
    ASSERT_TRUE(PlantString(shared, kPackageALower, "C:\\Morvane\\a.dll", view));
    ASSERT_TRUE(PlantString(onlyA, kPackageA, "C:\\Morvane\\b.dll", view));
    ASSERT_TRUE(PlantString(withSubkey, kPackageA, "C:\\Morvane\\c.dll", view));
    ASSERT_TRUE(PlantKey(withSubkey + "\\Sub", view));
    ASSERT_TRUE(PlantString(otherOnly, kOtherProduct, "C:\\Other\\d.dll", view));
    // A value name too long for the name buffer does not end the walk.
    const std::string longName(600, '0');
    const std::string afterLongName = InstallerComponentKey(kUser1, ComponentName(6));
    ASSERT_TRUE(PlantString(afterLongName, longName.c_str(), "C:\\Other\\f.dll", view));
    ASSERT_TRUE(PlantString(afterLongName, kPackageA, "C:\\Morvane\\f.dll", view));
    ASSERT_TRUE(PlantProduct(kUser1, kPackageA, view));
    ASSERT_TRUE(PlantProduct(kUser1, kOtherProduct, view));
    // A user without a Components key, with the product key in lower case.
    ASSERT_TRUE(PlantProduct(kUser2, kPackageALower, view));
    if (IsWow64()) {
        // The other view: a key of the same path holding another product
        // only, and records that only the 32-bit view holds.
        ASSERT_TRUE(PlantString(onlyA, kOtherProduct, "C:\\Other\\b.dll", kView32));
        ASSERT_TRUE(PlantString(InstallerComponentKey(kUser3, ComponentName(5)), kPackageA, "C:\\Morvane\\e.dll", kView32));
        ASSERT_TRUE(PlantProduct(kUser3, kPackageA, kView32));
    }

    sysops::CleanInstallerUserData(kPackageA, RunViews());

    EXPECT_FALSE(ValueExists(shared, kPackageA, view));
    EXPECT_EQ(StringValue(shared, kOtherProduct, view), "C:\\Other\\a.dll");
    EXPECT_FALSE(KeyExists(onlyA, view));
    EXPECT_FALSE(ValueExists(withSubkey, kPackageA, view));
    EXPECT_TRUE(KeyExists(withSubkey + "\\Sub", view));
    EXPECT_EQ(StringValue(otherOnly, kOtherProduct, view), "C:\\Other\\d.dll");
    EXPECT_FALSE(ValueExists(afterLongName, kPackageA, view));
    EXPECT_TRUE(ValueExists(afterLongName, longName.c_str(), view));
    EXPECT_FALSE(KeyExists(ProductKey(kUser1, kPackageA), view));
    EXPECT_TRUE(KeyExists(ProductKey(kUser1, kOtherProduct) + "\\InstallProperties", view));
    EXPECT_FALSE(KeyExists(ProductKey(kUser2, kPackageA), view));
    EXPECT_TRUE(KeyExists(InstallerUserKey(kUser2) + "\\Products", view));
    if (IsWow64()) {
        EXPECT_EQ(StringValue(onlyA, kOtherProduct, kView32), "C:\\Other\\b.dll");
        EXPECT_FALSE(KeyExists(InstallerComponentKey(kUser3, ComponentName(5)), kView32));
        EXPECT_FALSE(KeyExists(ProductKey(kUser3, kPackageA), kView32));
    }
}

TEST(InstallerUserData, StopsAfterTheUserWithTheHundredthRecord)
{
    SyntheticUsers users({kUser1, kUser2});
    const REGSAM view = NativeView();
    // 101 matching components: the search stops at 100, but the same user's
    // products are still checked; the next user is not visited.
    for (unsigned n = 0; n <= 100; ++n)
        ASSERT_TRUE(PlantString(InstallerComponentKey(kUser1, ComponentName(n)), kPackageA, "C:\\Morvane\\x.dll", view));
    ASSERT_TRUE(PlantProduct(kUser1, kPackageA, view));
    ASSERT_TRUE(PlantString(InstallerComponentKey(kUser2, ComponentName(0)), kPackageA, "C:\\Morvane\\x.dll", view));
    ASSERT_TRUE(PlantProduct(kUser2, kPackageA, view));
    // Each view is a scan of its own, with its own limit.
    if (IsWow64()) {
        for (unsigned n = 0; n < 100; ++n)
            ASSERT_TRUE(PlantString(InstallerComponentKey(kUser1, ComponentName(n)), kPackageA, "C:\\Morvane\\x.dll", kView32));
        ASSERT_TRUE(PlantProduct(kUser1, kPackageA, kView32));
    }

    sysops::CleanInstallerUserData(kPackageA, RunViews());

    for (unsigned n = 0; n < 100; ++n)
        EXPECT_FALSE(KeyExists(InstallerComponentKey(kUser1, ComponentName(n)), view)) << n;
    EXPECT_TRUE(KeyExists(InstallerComponentKey(kUser1, ComponentName(100)), view));
    EXPECT_FALSE(KeyExists(ProductKey(kUser1, kPackageA), view));
    EXPECT_TRUE(ValueExists(InstallerComponentKey(kUser2, ComponentName(0)), kPackageA, view));
    EXPECT_TRUE(KeyExists(ProductKey(kUser2, kPackageA), view));
    if (IsWow64()) {
        EXPECT_FALSE(KeyExists(InstallerComponentKey(kUser1, ComponentName(99)), kView32));
        EXPECT_FALSE(KeyExists(ProductKey(kUser1, kPackageA), kView32));
    }
}

TEST(InstallerUserData, LeavesPathsTooLongToRemember)
{
    // A user name that makes the product's path 223 characters: it fits the
    // 256-byte buffer it is composed in, but not a 200-byte found-list entry.
    const std::string longUser = "S-1-5-21-" + std::string(111, '7');
    SyntheticUsers users({longUser, kUser1});
    const REGSAM view = NativeView();
    const std::string product = ProductKey(longUser, kPackageA);
    ASSERT_EQ(product.size(), 223u);
    // What the path would name if it were cut to fit the entry.
    const std::string cutShort = product.substr(0, 199);
    ASSERT_TRUE(PlantString(cutShort, "Keep", "1", view));
    ASSERT_TRUE(PlantString(InstallerComponentKey(longUser, ComponentName(0)), kPackageA, "C:\\Morvane\\x.dll", view));
    ASSERT_TRUE(PlantProduct(longUser, kPackageA, view));
    ASSERT_TRUE(PlantProduct(kUser1, kPackageA, view));

    sysops::CleanInstallerUserData(kPackageA, RunViews());

    EXPECT_TRUE(ValueExists(cutShort, "Keep", view));
    EXPECT_TRUE(KeyExists(product, view));
    EXPECT_TRUE(ValueExists(InstallerComponentKey(longUser, ComponentName(0)), kPackageA, view));
    EXPECT_FALSE(KeyExists(ProductKey(kUser1, kPackageA), view)) << "the scan goes on after a skipped path";
}

constexpr char kFolders[] = "Software\\MorvTest\\Installer\\Folders";

::testing::AssertionResult CleanFolders(const char* installDir, const char* menuDir, REGSAM view)
{
    if (!KeyExists(kFolders, view))
        return ::testing::AssertionFailure() << "no key " << ViewName(view) << "\\" << kFolders;
    // Folder entries name package B by its code without braces.
    const std::string code(kPackageBCode + 1, std::strlen(kPackageBCode) - 2);
    sysops::CleanInstallerFolders(kFolders, sysops::RegistryView{view}, installDir, menuDir, code.c_str());
    return ::testing::AssertionSuccess();
}

TEST(InstallerFolders, DeletesEntriesOfTheProductOnly)
{
    const REGSAM view = NativeView();
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
        ASSERT_TRUE(PlantString(kFolders, entry.first.c_str(), "", view));
        planted.push_back(entry.first);
        if (!entry.second)
            kept.push_back(entry.first);
    }
    ASSERT_EQ(ValueNames(kFolders, view), planted);

    ASSERT_TRUE(CleanFolders(installDir, menuDir, view));
    EXPECT_EQ(ValueNames(kFolders, view), kept);

    // The comparison minds letter case: the install directory spelt otherwise stays.
    ASSERT_TRUE(PlantString(kFolders, "C:\\MORVTEST\\B\\MORVANE\\", "", view));
    ASSERT_TRUE(CleanFolders(installDir, menuDir, view));
    EXPECT_TRUE(ValueExists(kFolders, "C:\\MORVTEST\\B\\MORVANE\\", view));
    EXPECT_EQ(ValueNames(kFolders, view).size(), kept.size() + 1);

    // A name the ANSI code page cannot hold (Tibetan) reads back with '?' and
    // cannot be deleted by that name; the entries after it are still looked at.
    {
        const sysops::UniqueRegKey folders = OpenKey(kFolders, KEY_SET_VALUE, view);
        ASSERT_TRUE(folders.IsValid());
        RegSetValueExW(folders.Get(), L"C:\\morvtest\\b\\Morvane\\\x0F00\\", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    }
    ASSERT_TRUE(PlantString(kFolders, "C:\\morvtest\\m\\TQV\\Morvane\\", "", view));
    ASSERT_TRUE(CleanFolders(installDir, menuDir, view));
    EXPECT_FALSE(ValueExists(kFolders, "C:\\morvtest\\m\\TQV\\Morvane\\", view));
    for (const std::string& name : kept)
        EXPECT_TRUE(ValueExists(kFolders, name.c_str(), view)) << name;
}

}  // namespace
