#include "sysops/Files.h"

#include "machine/Child.h"
#include "machine/Files.h"
#include "machine/Unix.h"
#include "support/Planting.h"
#include "sysops/Handles.h"
#include "sysops/SystemLibrary.h"

#include <gtest/gtest.h>

#include <winioctl.h>

#include <chrono>
#include <cwchar>
#include <ostream>
#include <string>
#include <vector>

using namespace machine;
using namespace testing_support;
using sysops::DeleteFileOrTree;

namespace {

// The entries of dir, in the order a search returns them.
std::vector<std::string> SearchOrder(const std::string& dir)
{
    std::vector<std::string> names;
    for (const DirEntry& entry : ListDir(dir))
        names.push_back(entry.name);
    return names;
}

TEST(DeleteFileOrTree, RemovesWholeTreesWhateverTheirAttributesAndNames)
{
    const ScratchDir scratch("files-whole");
    const std::string root = scratch / "tree";
    ASSERT_TRUE(PlantFile(root + "\\readonly.dll", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(PlantFile(root + "\\.hidden", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(PlantFile(root + "\\..twodots"));  // only "." and ".." themselves are skipped
    ASSERT_TRUE(PlantFile(root + "\\.config\\settings.ini"));
    ASSERT_TRUE(PlantFile(root + "\\bin\\x86\\deep.sys", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(PlantFile(root + "\\bin\\x86\\.cache", FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(PlantFile(root + "\\bin\\plain.txt"));
    ASSERT_TRUE(PlantDirs(root + "\\empty"));
    ASSERT_TRUE(PlantDirs(root + "\\bin\\x86\\empty too"));

    EXPECT_TRUE(DeleteFileOrTree(root.c_str(), nullptr).Done());
    EXPECT_FALSE(Exists(root));
    EXPECT_TRUE(Exists(scratch.Path()));

    // Attributes belong to the file, not to one of its names: another name
    // of a read-only file (a hard link) stays read-only when this one goes.
    const std::string linked = scratch / "linked";
    const std::string otherName = scratch / "other name.dll";
    ASSERT_TRUE(PlantFile(linked + "\\shared.dll"));
    ASSERT_TRUE(CreateHardLinkA(otherName.c_str(), (linked + "\\shared.dll").c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA(otherName.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(DeleteFileOrTree(linked.c_str(), nullptr).Done());
    EXPECT_FALSE(Exists(linked));
    EXPECT_EQ(GetFileAttributesA(otherName.c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    SetFileAttributesA(otherName.c_str(), FILE_ATTRIBUTE_NORMAL);

    // An empty directory still lists "." and "..", which must not count as contents.
    const std::string empty = scratch / "empty";
    ASSERT_TRUE(PlantDirs(empty));
    EXPECT_TRUE(DeleteFileOrTree(empty.c_str(), nullptr).Done());
    EXPECT_FALSE(Exists(empty));
}

TEST(DeleteFileOrTree, SingleFilesAndWhatCannotBeSearched)
{
    const ScratchDir scratch("files-single");
    const std::string dir = scratch.Path();
    ASSERT_TRUE(PlantFile(dir + "\\locked.ini", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(PlantFile(dir + "\\sibling.ini"));

    EXPECT_TRUE(DeleteFileOrTree(dir.c_str(), "locked.ini").Done());
    EXPECT_FALSE(Exists(dir + "\\locked.ini"));
    EXPECT_TRUE(Exists(dir + "\\sibling.ini"));

    EXPECT_FALSE(DeleteFileOrTree(dir.c_str(), "gone.ini").Done());
    EXPECT_FALSE(DeleteFileOrTree((dir + "\\no such dir").c_str(), nullptr).Done());
    EXPECT_TRUE(Exists(dir + "\\sibling.ini"));

    // Paths that do not fit the 1024-byte buffer, and an empty directory
    // (which would search the root of the drive), are refused untouched.
    const std::string longName(1100, 'n');
    EXPECT_FALSE(DeleteFileOrTree(dir.c_str(), longName.c_str()).Done());
    EXPECT_FALSE(DeleteFileOrTree((dir + "\\" + longName).c_str(), nullptr).Done());
    EXPECT_FALSE(DeleteFileOrTree("", nullptr).Done());
    EXPECT_FALSE(DeleteFileOrTree("", "sibling.ini").Done());
    EXPECT_TRUE(Exists(dir + "\\sibling.ini"));
}

// Entries of `dir` before `stop` in search order are gone, with all they
// held; `stop` and those after it remain, and a directory among them whole.
::testing::AssertionResult CutAt(const std::string& dir, const std::vector<std::string>& order,
                                 const std::string& stop, const std::vector<std::string>& wholeFiles)
{
    std::string wrong;
    bool before = true;
    for (const std::string& name : order) {
        if (name == stop)
            before = false;
        if (Exists(dir + "\\" + name) == before)
            wrong += "\n  " + dir + "\\" + name + (before ? " is still there" : " is gone");
        for (const std::string& file : wholeFiles) {
            if (!before && file.compare(0, name.size() + 1, name + "\\") == 0 && !Exists(dir + "\\" + file))
                wrong += "\n  " + dir + "\\" + file + " is gone";
        }
    }
    if (wrong.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not cut at " << stop << ":" << wrong;
}

TEST(DeleteFileOrTree, FileInUseStopsTheWalkWhereTheSearchReachedIt)
{
    const ScratchDir scratch("files-in-use");
    const std::string root = scratch / "tree";
    const std::string d2 = root + "\\d2";
    const std::vector<std::string> rootFiles = {"a.dll", "m.dll", "z.dll", "d1\\f.txt", "d1\\sub\\g.txt", "d3\\h.txt"};
    const std::vector<std::string> d2Files = {"b.txt", "in use.txt", "y.txt", "sub\\k.txt", "zsub\\k.txt"};
    for (const std::string& name : rootFiles)
        ASSERT_TRUE(PlantFile(root + "\\" + name));
    for (const std::string& name : d2Files)
        ASSERT_TRUE(PlantFile(d2 + "\\" + name));
    // Held open without delete sharing, the file cannot be deleted.
    const HANDLE file = CreateFileA((d2 + "\\in use.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    sysops::UniqueKernelHandle held(file);
    // The cut follows the order this file system lists entries in, whatever it is.
    const std::vector<std::string> rootOrder = SearchOrder(root);
    const std::vector<std::string> d2Order = SearchOrder(d2);
    SCOPED_TRACE("search order: tree " + ::testing::PrintToString(rootOrder) + ", d2 " +
                 ::testing::PrintToString(d2Order));

    const sysops::Result result = DeleteFileOrTree(root.c_str(), nullptr);
    held.Reset();

    EXPECT_FALSE(result.Done());
    EXPECT_TRUE(Exists(root));
    EXPECT_TRUE(CutAt(root, rootOrder, "d2", rootFiles));
    EXPECT_TRUE(CutAt(d2, d2Order, "in use.txt", d2Files));
}

// ---- links inside the tree ----------------------------------------------

bool IsReparsePoint(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

using CreateSymbolicLinkFn = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);

bool MakeSymbolicLink(const std::string& link, const std::string& target, bool directory, std::string& why)
{
    const auto create = sysops::LookUpLoaded<CreateSymbolicLinkFn>("kernel32.dll", "CreateSymbolicLinkA");
    if (create == nullptr) {
        why = "no CreateSymbolicLinkA";
        return false;
    }
    const DWORD flags = directory ? 1 /* SYMBOLIC_LINK_FLAG_DIRECTORY */ : 0;
    // Windows 10 lets an unprivileged process make links in developer mode.
    if (!create(link.c_str(), target.c_str(), flags | 2) && !create(link.c_str(), target.c_str(), flags)) {
        why = "CreateSymbolicLinkA failed with error " + std::to_string(GetLastError());
        return false;
    }
    if (!IsReparsePoint(link)) {
        why = "CreateSymbolicLinkA reported success but made no reparse point";
        return false;
    }
    return true;
}

// A mount-point reparse buffer, as FSCTL_SET_REPARSE_POINT takes it.
struct MountPointReparse {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
    WCHAR paths[1024];
};

bool MakeJunction(const std::string& link, const std::string& target, std::string& why)
{
    if (!CreateDirectoryA(link.c_str(), nullptr)) {
        why = "cannot create the junction's directory";
        return false;
    }
    const HANDLE opened = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        RemoveDirectoryA(link.c_str());
        why = "cannot open the junction's directory";
        return false;
    }
    sysops::UniqueKernelHandle handle(opened);
    WCHAR wideTarget[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, wideTarget, MAX_PATH);
    const std::wstring substitute = std::wstring(L"\\??\\") + wideTarget;
    const std::wstring print = wideTarget;
    MountPointReparse buffer = {};
    buffer.tag = 0xA0000003;  // IO_REPARSE_TAG_MOUNT_POINT
    buffer.substituteLength = static_cast<WORD>(substitute.size() * sizeof(WCHAR));
    buffer.printOffset = static_cast<WORD>(buffer.substituteLength + sizeof(WCHAR));
    buffer.printLength = static_cast<WORD>(print.size() * sizeof(WCHAR));
    std::wmemcpy(buffer.paths, substitute.c_str(), substitute.size() + 1);
    std::wmemcpy(buffer.paths + substitute.size() + 1, print.c_str(), print.size() + 1);
    buffer.dataLength = static_cast<WORD>(8 + buffer.printOffset + buffer.printLength + sizeof(WCHAR));
    DWORD returned = 0;
    const BOOL set = DeviceIoControl(handle.Get(), FSCTL_SET_REPARSE_POINT, &buffer, buffer.dataLength + 8u, nullptr, 0,
                                     &returned, nullptr);
    const DWORD error = GetLastError();
    handle.Reset();
    if (!set || !IsReparsePoint(link)) {
        RemoveDirectoryA(link.c_str());
        why = "FSCTL_SET_REPARSE_POINT failed with error " + std::to_string(error);
        return false;
    }
    return true;
}

// A symbolic link made from the Unix side, where Wine shows what it makes of it.
bool MakeUnixLink(const std::string& dir, const char* name, const char* relativeTarget, std::string& why)
{
    if (!machine::MakeUnixLink(dir, name, relativeTarget)) {
        why = "cannot run ln from here";
        return false;
    }
    if (!IsReparsePoint(dir + "\\" + name)) {
        why = "this Wine shows a Unix symbolic link to a file as an ordinary file (no reparse point); "
              "DeleteFileA on it would delete the target, so it is not tried";
        RemoveUnixLink(dir, name);
        return false;
    }
    return true;
}

enum class LinkKind { DirectorySymlink, FileSymlink, Junction, UnixDirectoryLink, UnixFileLink };

struct LinkCase {
    LinkKind kind;
    const char* name;         // names the case in test lists
    const char* description;  // in its messages
};

constexpr LinkCase kLinkCases[] = {
    {LinkKind::DirectorySymlink, "DirectorySymlink", "directory symbolic link"},
    {LinkKind::FileSymlink, "FileSymlink", "file symbolic link"},
    {LinkKind::Junction, "Junction", "junction"},
    {LinkKind::UnixDirectoryLink, "UnixDirectoryLink", "Unix symbolic link to a directory"},
    {LinkKind::UnixFileLink, "UnixFileLink", "Unix symbolic link to a file"},
};

void PrintTo(const LinkCase& link, std::ostream* out)
{
    *out << link.name;
}

bool MakeLink(LinkKind kind, const std::string& root, const std::string& outside, std::string& why)
{
    const std::string link = root + "\\link";
    switch (kind) {
    case LinkKind::DirectorySymlink: return MakeSymbolicLink(link, outside, true, why);
    case LinkKind::FileSymlink: return MakeSymbolicLink(link, outside + "\\keep.txt", false, why);
    case LinkKind::Junction: return MakeJunction(link, outside, why);
    case LinkKind::UnixDirectoryLink: return MakeUnixLink(root, "link", "../outside", why);
    case LinkKind::UnixFileLink: return MakeUnixLink(root, "link", "../outside/keep.txt", why);
    }
    return false;
}

// What the links lead to: a read-only file and a folder with a file in it.
::testing::AssertionResult PlantTarget(const std::string& outside)
{
    ::testing::AssertionResult planted = PlantFile(outside + "\\keep.txt", FILE_ATTRIBUTE_READONLY);
    return planted ? PlantFile(outside + "\\inner\\deep.txt") : planted;
}

::testing::AssertionResult TargetIntact(const std::string& outside)
{
    const DWORD keep = GetFileAttributesA((outside + "\\keep.txt").c_str());
    if (keep == INVALID_FILE_ATTRIBUTES || !Exists(outside + "\\inner\\deep.txt"))
        return ::testing::AssertionFailure() << "something behind the link went";
    if ((keep & FILE_ATTRIBUTE_READONLY) == 0)
        return ::testing::AssertionFailure() << "the file behind the link lost its read-only attribute";
    return ::testing::AssertionSuccess();
}

// Each kind of link passes or skips on its own: one this machine cannot make
// does not hide what the others show.
class LinkTest : public ::testing::TestWithParam<LinkCase> {
protected:
    // Makes `parent`\link lead to the planted target; false, with the reason
    // in why_, when this machine cannot make the kind.
    bool LinkIn(const std::string& parent) { return MakeLink(GetParam().kind, parent, outside_, why_); }
    std::string SkipReason() const { return "no " + std::string(GetParam().description) + " can be made here: " + why_; }
    bool MayStayUnderWine() const { return GetParam().kind == LinkKind::UnixDirectoryLink && IsWine(); }

    const ScratchDir scratch_{"files-link"};
    const std::string outside_ = scratch_ / "outside";
    std::string why_;
};

class LinkInsideTheTree : public LinkTest {};

TEST_P(LinkInsideTheTree, GoesAsALinkAndItsTargetStays)
{
    const std::string root = scratch_ / "tree";
    ASSERT_TRUE(PlantFile(root + "\\before.txt"));
    ASSERT_TRUE(PlantFile(root + "\\zafter\\x.txt"));
    ASSERT_TRUE(PlantTarget(outside_));
    if (!LinkIn(root))
        GTEST_SKIP() << SkipReason();
    const std::vector<std::string> order = SearchOrder(root);

    const sysops::Result result = DeleteFileOrTree(root.c_str(), nullptr);

    EXPECT_TRUE(TargetIntact(outside_));
    if (!Exists(root + "\\link")) {
        EXPECT_TRUE(result.Done());
        EXPECT_FALSE(Exists(root));
        return;
    }
    ASSERT_TRUE(MayStayUnderWine()) << "the link was not removed";
    // Wine's RemoveDirectoryA looks through a Unix link and finds the target
    // not empty; the walk must then stop and say so.
    EXPECT_FALSE(result.Done());
    EXPECT_TRUE(Exists(root));
    EXPECT_TRUE(CutAt(root, order, "link", {"zafter\\x.txt"}));
    RemoveUnixLink(root, "link");
    EXPECT_FALSE(Exists(root + "\\link"));
    GTEST_SKIP() << "the target stayed, but the link itself was not removed: RemoveDirectoryA cannot remove it "
                    "under Wine (the target looks not empty)";
}

INSTANTIATE_TEST_SUITE_P(DeleteFileOrTree, LinkInsideTheTree, ::testing::ValuesIn(kLinkCases));

// The run removes trees whose roots anybody may have replaced: the install
// tree, menu folders, installer caches.
class RootThatIsALink : public LinkTest {};

TEST_P(RootThatIsALink, GoesAsALinkAndItsTargetStays)
{
    const std::string parent = scratch_ / "tree";
    const std::string link = parent + "\\link";
    ASSERT_TRUE(PlantDirs(parent));
    ASSERT_TRUE(PlantTarget(outside_));
    if (!LinkIn(parent))
        GTEST_SKIP() << SkipReason();

    const sysops::Result result = DeleteFileOrTree(link.c_str(), nullptr);

    EXPECT_TRUE(TargetIntact(outside_));
    if (!Exists(link)) {
        EXPECT_TRUE(result.Done());
        return;
    }
    ASSERT_TRUE(MayStayUnderWine()) << "the link was not removed";
    EXPECT_FALSE(result.Done());
    RemoveUnixLink(parent, "link");
    EXPECT_FALSE(Exists(link));
    GTEST_SKIP() << "the target stayed, but the link itself was not removed: RemoveDirectoryW cannot remove it "
                    "under Wine (the target looks not empty)";
}

INSTANTIATE_TEST_SUITE_P(DeleteFileOrTree, RootThatIsALink, ::testing::ValuesIn(kLinkCases));

// ---- names an ANSI search cannot give back --------------------------------

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());  // the scratch paths are ASCII
}

::testing::AssertionResult PlantWideFile(const std::wstring& path)
{
    const sysops::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return ::testing::AssertionFailure() << "cannot create a wide-named file, error " << GetLastError();
    return ::testing::AssertionSuccess();
}

TEST(DeleteFileOrTree, NamesAreDeletedAsStoredWhateverTheCodePage)
{
    const struct {
        const wchar_t* name;
        const char* why;
    } cases[] = {
        // A full-width backslash, which a best-fit conversion makes "..\\victim".
        {L"..\xFF3Cvictim", "a full-width backslash"},
        // Letters outside any Western code page, which an ANSI search gives as '?'.
        {L"\x4E2D\x6587", "letters outside the code page"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const ScratchDir scratch("files-names");
        const std::string root = scratch / "tree";
        ASSERT_TRUE(PlantFile(scratch / "victim\\keep.txt"));
        ASSERT_TRUE(PlantFile(root + "\\plain.txt"));
        const std::wstring folder = Wide(root) + L"\\" + c.name;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        ASSERT_TRUE(PlantWideFile(folder + L"\\" + c.name + L".txt"));

        EXPECT_TRUE(DeleteFileOrTree(root.c_str(), nullptr).Done());
        EXPECT_FALSE(Exists(root));
        EXPECT_TRUE(Exists(scratch / "victim\\keep.txt"));
        // The scratch folder's own clean-up cannot reach these names either.
        DeleteFileW((folder + L"\\" + c.name + L".txt").c_str());
        RemoveDirectoryW(folder.c_str());
    }
}

}  // namespace
