#include "sysops/Probes.h"

#include "machine/Child.h"
#include "machine/Environment.h"
#include "machine/Files.h"
#include "machine/Paths.h"
#include "machine/Views.h"
#include "machine/WindowsVersion.h"
#include "support/Planting.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace machine;
using namespace testing_support;

namespace {

std::string OsProbe(const char* mode = "")
{
    return CommandLine(TestBinDir() + "\\osprobe.exe", mode);
}

struct VersionCase {
    const char* winecfgName;
    int osClass;       // what GetOsClass reports
    int plainOsClass;  // what it reports when only the 148-byte record is accepted
};

// Windows 8.1 and 10 report 6.2 to programs whose manifest does not claim
// them, so they are sorted as Windows 8; Wine does the same. "win31" reports
// the Win32s platform, which no class covers.
constexpr VersionCase kVersionCases[] = {
    {"win31", sysops::OSCLASS_UNKNOWN, sysops::OSCLASS_UNKNOWN},
    {"win95", sysops::OSCLASS_WIN95, sysops::OSCLASS_WIN95},
    {"win98", sysops::OSCLASS_WIN98, sysops::OSCLASS_WIN98},
    {"winme", sysops::OSCLASS_WINME, sysops::OSCLASS_WINME},
    {"nt351", sysops::OSCLASS_NT4, sysops::OSCLASS_NT4},
    {"nt40", sysops::OSCLASS_NT4, sysops::OSCLASS_NT4},
    {"win2k", sysops::OSCLASS_WIN2000, sysops::OSCLASS_WIN2000},
    {"winxp", sysops::OSCLASS_WINXP, sysops::OSCLASS_WINXP},
    {"winxp64", sysops::OSCLASS_WIN2003, sysops::OSCLASS_WIN2003},
    {"win2003", sysops::OSCLASS_WIN2003, sysops::OSCLASS_WIN2003},
    // Without the extended record the product type reads 0: not a workstation.
    {"vista", sysops::OSCLASS_VISTA, sysops::OSCLASS_WIN2008},
    {"win2008", sysops::OSCLASS_WIN2008, sysops::OSCLASS_WIN2008},
    {"win7", sysops::OSCLASS_WIN7, sysops::OSCLASS_WIN2008R2},
    {"win2008r2", sysops::OSCLASS_WIN2008R2, sysops::OSCLASS_WIN2008R2},
    {"win8", sysops::OSCLASS_WIN8, sysops::OSCLASS_WIN8},
    {"win10", sysops::OSCLASS_WIN8, sysops::OSCLASS_WIN8},
};

class VersionClass : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionClass, AsReportedByTheRunningWindows)
{
    const VersionCase& c = GetParam();
    const ScopedWindowsVersion version(c.winecfgName);
    if (version.Refused())
        GTEST_SKIP() << "this prefix does not take " << c.winecfgName;
    EXPECT_EQ(RunAndWait(OsProbe()), c.osClass);
    EXPECT_EQ(RunAndWait(OsProbe("plain")), c.plainOsClass);
}

// Names the case in test lists.
void PrintTo(const VersionCase& c, std::ostream* out)
{
    *out << c.winecfgName;
}

INSTANTIATE_TEST_SUITE_P(Probes, VersionClass, ::testing::ValuesIn(kVersionCases));

OSVERSIONINFOEXA Record(DWORD platform, DWORD major, DWORD minor, BYTE productType = 0)
{
    OSVERSIONINFOEXA info = {};
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.wProductType = productType;
    return info;
}

// Versions no Windows this Wine imitates reports.
TEST(Probes, VersionsBeyondTheKnownOnesAreUnknown)
{
    EXPECT_EQ(sysops::ClassifyVersion(Record(VER_PLATFORM_WIN32_WINDOWS, 4, 3)), sysops::OSCLASS_UNKNOWN);
    EXPECT_EQ(sysops::ClassifyVersion(Record(VER_PLATFORM_WIN32_NT, 5, 3)), sysops::OSCLASS_UNKNOWN);
    EXPECT_EQ(sysops::ClassifyVersion(Record(VER_PLATFORM_WIN32_NT, 6, 3, VER_NT_WORKSTATION)),
              sysops::OSCLASS_UNKNOWN);
    EXPECT_EQ(sysops::ClassifyVersion(Record(VER_PLATFORM_WIN32_NT, 10, 0, VER_NT_WORKSTATION)),
              sysops::OSCLASS_UNKNOWN);
    EXPECT_EQ(sysops::ClassifyVersion(Record(3, 6, 1)), sysops::OSCLASS_UNKNOWN);
    EXPECT_EQ(sysops::ClassifyVersion(Record(VER_PLATFORM_WIN32_NT, 6, 2, VER_NT_SERVER)), sysops::OSCLASS_WIN8);
}

BOOL WINAPI RefuseEveryRecord(LPOSVERSIONINFOA)
{
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

TEST(Probes, UnreadableVersionIsUnknown)
{
    EXPECT_EQ(sysops::GetOsClassWith(&RefuseEveryRecord), sysops::OSCLASS_UNKNOWN);
}

TEST(Probes, Is64BitWindowsFollowsTheWindowsDirectory)
{
    EXPECT_EQ(sysops::Is64BitWindows(), IsWow64() ? 1 : 0);
    {
        const ScopedEnv unset("WINDIR", nullptr);
        EXPECT_EQ(sysops::Is64BitWindows(), 0);
    }
    {
        // Any entry of that name counts, a plain file as well.
        const ScratchDir windows("fakewin");
        ASSERT_TRUE(PlantFile(windows / "SysWOW64"));
        const ScopedEnv windir("WINDIR", windows.Path().c_str());
        EXPECT_EQ(sysops::Is64BitWindows(), 1);
    }
    {
        const ScratchDir windows("plainwin");
        const ScopedEnv windir("WINDIR", windows.Path().c_str());
        EXPECT_EQ(sysops::Is64BitWindows(), 0);
    }
    {
        // Too long for the 512-byte buffer: treated as unset.
        const std::string longDir = "C:\\" + std::string(520, 'w');
        const ScopedEnv windir("WINDIR", longDir.c_str());
        EXPECT_EQ(sysops::Is64BitWindows(), 0);
    }
}

TEST(Probes, FileExists)
{
    const ScratchDir dir("exists");
    ASSERT_TRUE(PlantFile(dir / "file.txt"));
    ASSERT_TRUE(PlantDirs(dir / "sub"));

    EXPECT_EQ(sysops::FileExists(dir.Path().c_str(), "file.txt"), 1);
    EXPECT_EQ(sysops::FileExists(dir.Path().c_str(), "FILE.TXT"), 1);
    EXPECT_EQ(sysops::FileExists(dir.Path().c_str(), "sub"), 1);
    EXPECT_EQ(sysops::FileExists(dir.Path().c_str(), "missing.txt"), 0);
    EXPECT_EQ(sysops::FileExists(dir.Path().c_str(), nullptr), 0);
    // "." probes the directory itself.
    EXPECT_EQ(sysops::FileExists(dir.Path().c_str(), "."), 1);
    EXPECT_EQ(sysops::FileExists((dir / "sub").c_str(), "."), 1);
    EXPECT_EQ(sysops::FileExists((dir / "missing").c_str(), "."), 0);
    // A path that would not fit the 1024-byte buffer is not probed in a
    // shortened form.
    const std::string longName(1100, 'n');
    EXPECT_EQ(sysops::FileExists(dir.Path().c_str(), longName.c_str()), 0);
}

}  // namespace
