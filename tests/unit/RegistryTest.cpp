#include "sysops/Registry.h"

#include "machine/Registry.h"
#include "machine/Views.h"
#include "support/Planting.h"

#include <gtest/gtest.h>

#include <string>

using namespace machine;
using namespace testing_support;
using sysops::DeleteRegistryItem;
using sysops::IsRegistryKeyEmpty;

namespace {

// The tests' own key, away from the product's vendor key, which a run of
// the program would judge.
const std::string kTestRoot = "Software\\MorvUninstTest\\Registry";

// Takes the test root away after the tests, and the key above it when
// nothing else is left there, so that later tests find the machine as it was.
class TestRootCleanup : public ::testing::Environment {
public:
    void TearDown() override
    {
        for (REGSAM view : {kView32, kView64}) {
            DeleteTree(kTestRoot, view);
            if (IsRegistryKeyEmpty("Software\\MorvUninstTest", sysops::RegistryView{view}))
                DeleteTree("Software\\MorvUninstTest", view);
        }
    }
};

::testing::Environment* const kCleanup = ::testing::AddGlobalTestEnvironment(new TestRootCleanup);

TEST(DeleteRegistryItem, ViewFlagPicksTheViewOn64BitWindows)
{
    const std::string key = kTestRoot + "\\Views";
    const ScopedRegKey clean64(key, kView64);
    const ScopedRegKey clean32(key, kView32);
    if (!IsWow64()) {
        // One registry: both flags mean the same plain deletion.
        EXPECT_EQ(RunView(1).bits, 0u);
        EXPECT_EQ(RunView(0).bits, 0u);
        for (int view64 : {1, 0}) {
            ASSERT_TRUE(PlantString(key + "\\Sub", "Name", "data"));
            EXPECT_TRUE(DeleteRegistryItem(key.c_str(), nullptr, RunView(view64)).Done());
            EXPECT_FALSE(KeyExists(key));
        }
        return;
    }
    EXPECT_EQ(RunView(1).bits, static_cast<REGSAM>(KEY_WOW64_64KEY));
    EXPECT_EQ(RunView(0).bits, static_cast<REGSAM>(KEY_WOW64_32KEY));
    struct {
        int view64;
        REGSAM deleted;
        REGSAM kept;
    } const cases[] = {{1, kView64, kView32}, {0, kView32, kView64}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.view64);
        ASSERT_TRUE(PlantString(key + "\\Sub", "Which", "64", kView64));
        ASSERT_TRUE(PlantString(key + "\\Sub", "Which", "32", kView32));
        ASSERT_EQ(StringValue(key + "\\Sub", "Which", kView64), "64");  // two keys, not one shared

        EXPECT_TRUE(DeleteRegistryItem(key.c_str(), nullptr, RunView(c.view64)).Done());
        EXPECT_FALSE(KeyExists(key, c.deleted));
        EXPECT_EQ(StringValue(key + "\\Sub", "Which", c.kept), c.kept == kView64 ? "64" : "32");

        // A value goes from its view only, too.
        ASSERT_TRUE(PlantString(key, "Both", "x", kView64));
        ASSERT_TRUE(PlantString(key, "Both", "x", kView32));
        EXPECT_TRUE(DeleteRegistryItem(key.c_str(), "Both", RunView(c.view64)).Done());
        EXPECT_FALSE(ValueExists(key, "Both", c.deleted));
        EXPECT_TRUE(ValueExists(key, "Both", c.kept));
        DeleteTree(key, kView64);
        DeleteTree(key, kView32);
    }
}

TEST(DeleteRegistryItem, DeletesWholeTreesAndReportsMissingKeys)
{
    const std::string key = kTestRoot + "\\Tree";
    const ScopedRegKey clean(key, OwnView());
    for (const char* path : {"\\L1a\\L2a\\L3a", "\\L1a\\L2a\\L3b", "\\L1a\\L2b", "\\L1b\\L2c\\L3c"})
        ASSERT_TRUE(PlantString(key + path, "Value", "data", OwnView()));
    ASSERT_TRUE(PlantDword(key, "Top", 1, OwnView()));

    EXPECT_TRUE(DeleteRegistryItem(key.c_str(), nullptr, RunView(0)).Done());
    EXPECT_FALSE(KeyExists(key, OwnView()));
    EXPECT_TRUE(KeyExists(kTestRoot, OwnView()));

    EXPECT_EQ(DeleteRegistryItem(key.c_str(), nullptr, RunView(0)).error, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(DeleteRegistryItem((key + "\\Deeper").c_str(), nullptr, RunView(0)).error, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(KeyExists(key, OwnView()));
}

TEST(DeleteRegistryItem, ValueDeletionNeverFailsAndTouchesNothingElse)
{
    const std::string key = kTestRoot + "\\Values";
    const ScopedRegKey clean(key, OwnView());
    ASSERT_TRUE(PlantString(key, "Keep", "kept", OwnView()));
    ASSERT_TRUE(PlantString(key, "Drop", "gone", OwnView()));
    ASSERT_TRUE(PlantKey(key + "\\Drop", OwnView()));  // a subkey of the same name is not the value

    EXPECT_TRUE(DeleteRegistryItem(key.c_str(), "Drop", RunView(0)).Done());
    EXPECT_FALSE(ValueExists(key, "Drop", OwnView()));
    EXPECT_TRUE(KeyExists(key + "\\Drop", OwnView()));
    EXPECT_EQ(StringValue(key, "Keep", OwnView()), "kept");

    EXPECT_TRUE(DeleteRegistryItem(key.c_str(), "Drop", RunView(0)).Done());
    EXPECT_TRUE(DeleteRegistryItem((key + "\\Missing").c_str(), "Keep", RunView(0)).Done());
    EXPECT_FALSE(KeyExists(key + "\\Missing", OwnView()));
    EXPECT_EQ(StringValue(key, "Keep", OwnView()), "kept");
    EXPECT_TRUE(KeyExists(key + "\\Drop", OwnView()));
}

TEST(IsRegistryKeyEmpty, OnlyAnExistingKeyWithoutValuesOrSubkeys)
{
    const std::string key = kTestRoot + "\\Empty";
    const ScopedRegKey clean(key, OwnView());
    EXPECT_FALSE(IsRegistryKeyEmpty(key.c_str(), RunView(0)));

    ASSERT_TRUE(PlantKey(key, OwnView()));
    EXPECT_TRUE(IsRegistryKeyEmpty(key.c_str(), RunView(0)));

    ASSERT_TRUE(PlantString(key, "One", "value", OwnView()));
    EXPECT_FALSE(IsRegistryKeyEmpty(key.c_str(), RunView(0)));
    DeleteRegistryItem(key.c_str(), "One", RunView(0));
    EXPECT_TRUE(IsRegistryKeyEmpty(key.c_str(), RunView(0)));

    ASSERT_TRUE(PlantKey(key + "\\EmptyChild", OwnView()));
    EXPECT_FALSE(IsRegistryKeyEmpty(key.c_str(), RunView(0)));
    if (IsWow64()) {
        // Asked in the other view, the key is not there at all.
        EXPECT_FALSE(IsRegistryKeyEmpty(key.c_str(), RunView(1)));
    }
}

TEST(DeleteRegistryItem, DeepestFirstAndTheFirstFailingChildStopsEverything)
{
    const std::string key = kTestRoot + "\\Order";
    const ScopedRegKey clean(key, OwnView());
    // Subkeys enumerate by name, so A goes before B, B1 before B2.
    for (const char* path : {"\\A\\A1\\A1a", "\\A\\A2", "\\B\\B1\\B1a\\Leaf", "\\B\\B1\\B1b", "\\B\\B2", "\\C"})
        ASSERT_TRUE(PlantKey(key + path, OwnView()));
    const std::string blocked = key + "\\B\\B1\\B1a";
    // Its subkeys cannot be listed, so it cannot be emptied.
    const ScopedKeySecurity deny(blocked, OwnView(), "D:(D;;0x8;;;WD)(A;;KA;;;WD)");
    ASSERT_TRUE(deny.Made());
    if (OpenKey(blocked, KEY_READ, OwnView()))
        GTEST_SKIP() << "this Wine does not enforce a registry key's DACL";

    EXPECT_EQ(DeleteRegistryItem(key.c_str(), nullptr, RunView(0)).error, static_cast<unsigned long>(ERROR_ACCESS_DENIED));

    // A went whole, every level, before B was reached.
    EXPECT_FALSE(KeyExists(key + "\\A", OwnView()));
    // Nothing above the blocked key went: a key goes only after all its subkeys.
    for (const char* path : {"", "\\B", "\\B\\B1", "\\B\\B1\\B1a\\Leaf", "\\B\\B1\\B1b", "\\B\\B2", "\\C"})
        EXPECT_TRUE(KeyExists(key + path, OwnView())) << path;
}

TEST(DeleteRegistryItem, KeyThatCannotBeOpenedForWritingStays)
{
    const std::string key = kTestRoot + "\\ReadOnly";
    const ScopedRegKey clean(key, OwnView());
    for (const char* path : {"\\A\\Leaf", "\\A\\Next", "\\B"})
        ASSERT_TRUE(PlantKey(key + path, OwnView()));
    // Readable, and even deletable, but not writable: it must not go.
    const ScopedKeySecurity deny(key + "\\A\\Leaf", OwnView(), "D:(D;;0x6;;;WD)(A;;KA;;;WD)");
    ASSERT_TRUE(deny.Made());
    if (OpenKey(key + "\\A\\Leaf", KEY_WRITE, OwnView()))
        GTEST_SKIP() << "this Wine does not enforce a registry key's DACL";

    // The leaf reports "no more items"; its parent then cannot be deleted
    // while the leaf is in it, and that stops everything.
    EXPECT_EQ(DeleteRegistryItem(key.c_str(), nullptr, RunView(0)).error, static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    for (const char* path : {"", "\\A", "\\A\\Leaf", "\\A\\Next", "\\B"})
        EXPECT_TRUE(KeyExists(key + path, OwnView())) << path;
}

// Each key is opened from its parent's handle: no path is composed, so a
// child whose full path would not fit any buffer goes with the rest, and
// nothing is ever cut to a shorter path that names another key.
TEST(DeleteRegistryItem, ChildrenAreOpenedFromTheirParentsWhateverTheirPathsLength)
{
    const std::string key = kTestRoot + "\\Long";
    const ScopedRegKey clean(key, OwnView());
    // The parent still opens by name (Wine's ANSI registry calls take at
    // most 260 characters); parent, backslash and child make 514.
    const std::string parent = key + "\\" + std::string(258 - key.size() - 1, 'P');
    const std::string childName(255, 'C');
    ASSERT_TRUE(PlantString(parent, "Keep", "kept", OwnView()));
    ASSERT_TRUE(PlantString(key + "\\Sibling", "Keep", "kept", OwnView()));
    const sysops::UniqueRegKey parentKey = OpenKey(parent, KEY_ALL_ACCESS, OwnView());
    ASSERT_TRUE(parentKey);
    ASSERT_TRUE(PlantKey(childName + "\\Leaf", 0, parentKey.Get()));

    EXPECT_TRUE(DeleteRegistryItem(parent.c_str(), nullptr, RunView(0)).Done());

    EXPECT_FALSE(KeyExists(parent, OwnView()));
    EXPECT_EQ(StringValue(key + "\\Sibling", "Keep", OwnView()), "kept");
}

// A key that still has subkeys after the bound of them went (one that
// gains them as fast as they go) is given up, and says so.
TEST(DeleteRegistryItem, AKeyWithoutEndIsGivenUpAfterTheBound)
{
    const std::string key = kTestRoot + "\\Endless";
    const ScopedRegKey clean(key, OwnView());
    for (const char* path : {"\\A", "\\B", "\\C\\Deep"})
        ASSERT_TRUE(PlantKey(key + path, OwnView()));

    EXPECT_EQ(DeleteRegistryItem(key.c_str(), nullptr, RunView(0), 2).error, static_cast<unsigned long>(ERROR_NOT_ENOUGH_QUOTA));
    EXPECT_TRUE(KeyExists(key + "\\C\\Deep", OwnView()));
    EXPECT_TRUE(DeleteRegistryItem(key.c_str(), nullptr, RunView(0), 3).Done());
    EXPECT_FALSE(KeyExists(key, OwnView()));
}

// A name the ANSI calls cannot spell would be opened as another key: the
// fullwidth backslash comes out of the enumeration as a real one, a path
// that may pass through a link planted at its first part. Such a key is
// left, and the tree says why.
TEST(DeleteRegistryItem, AKeyWhoseNameTheAnsiCallsMisspellStays)
{
    const std::string key = kTestRoot + "\\Misspelt";
    const ScopedRegKey clean(key, OwnView());
    const std::wstring wideKey(key.begin(), key.end());
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (wideKey + L"\\A\xFF3C" L"B").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | OwnView(), nullptr, &child, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(child);

    EXPECT_EQ(DeleteRegistryItem(key.c_str(), nullptr, RunView(0)).error, static_cast<unsigned long>(ERROR_INVALID_NAME));
    EXPECT_TRUE(KeyExists(key, OwnView()));
}

// A link inside a tree that is deleted whole may lead into anybody's keys:
// the link goes, what it points to stays. A key named for deletion goes as
// the link too when it is one, and a value named in it is not looked for
// through it.
TEST(DeleteRegistryItem, ALinkInsideTheTreeGoesAndItsTargetStays)
{
    const std::string key = kTestRoot + "\\Linked";
    const std::string target = kTestRoot + "\\LinkTarget";
    const ScopedRegKey cleanKey(key, OwnView());
    const ScopedRegKey cleanTarget(target, OwnView());
    ASSERT_TRUE(PlantString(target, "Keep", "kept", OwnView()));
    ASSERT_TRUE(PlantString(target + "\\Deep", "Keep", "kept", OwnView()));
    ASSERT_TRUE(PlantString(key + "\\Own", "Value", "data", OwnView()));
    const ScopedRegLink inside(key + "\\Link", target, OwnView());
    const ScopedRegLink named(kTestRoot + "\\NamedLink", target, OwnView());
    ASSERT_TRUE(inside.Made() && named.Made());
    ASSERT_EQ(StringValue(key + "\\Link\\Deep", "Keep", OwnView()), "kept") << "the link leads nowhere";

    EXPECT_TRUE(DeleteRegistryItem(key.c_str(), nullptr, RunView(0)).Done());
    EXPECT_FALSE(KeyExists(key, OwnView()));
    EXPECT_TRUE(DeleteRegistryItem((kTestRoot + "\\NamedLink").c_str(), "Keep", RunView(0)).Done());
    EXPECT_TRUE(DeleteRegistryItem((kTestRoot + "\\NamedLink").c_str(), nullptr, RunView(0)).Done());
    EXPECT_FALSE(KeyExists(kTestRoot + "\\NamedLink", OwnView()));

    EXPECT_EQ(StringValue(target, "Keep", OwnView()), "kept");
    EXPECT_EQ(StringValue(target + "\\Deep", "Keep", OwnView()), "kept");
}

}  // namespace
