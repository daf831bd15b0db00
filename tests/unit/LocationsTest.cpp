#include "uninstall/Locations.h"

#include "machine/Environment.h"
#include "machine/Expected.h"
#include "machine/Files.h"
#include "machine/Registry.h"
#include "machine/Views.h"
#include "support/Planting.h"
#include "support/RecordingHost.h"
#include "sysops/Probes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace machine;
using namespace testing_support;
using expected::Box;
using uninstall::Run;

namespace {

const std::string kWindirMissing = Box(expected::kErrorCaption, expected::kNoWindirText);
const std::string kSysWow64Missing = Box(expected::kErrorCaption, expected::kNoSysWow64Text);
const std::string kSystemMissing = Box(expected::kErrorCaption, expected::kNoSystemDirText);

// One discovery with a recording host.
struct Discovery {
    explicit Discovery(bool silent = false, bool debug = true) : host(silent, debug), run(host, record) {}
    bool Go() { return uninstall::DiscoverLocations(run); }

    RecordingHost host;
    uninstall::RunRecord record;
    Run run;
};

// A Windows directory of our own, with advapi32.dll in the named folders.
::testing::AssertionResult MakeWindowsDir(const ScratchDir& windows, const std::vector<std::string>& systemDirs,
                                          const std::vector<std::string>& emptyDirs = {})
{
    for (const std::string& dir : systemDirs) {
        ::testing::AssertionResult planted = PlantFile(windows / (dir + "\\advapi32.dll"));
        if (!planted)
            return planted;
    }
    for (const std::string& dir : emptyDirs) {
        ::testing::AssertionResult planted = PlantDirs(windows / dir);
        if (!planted)
            return planted;
    }
    return ::testing::AssertionSuccess();
}

// The test owns the product's install-directory key in both views.
struct InstallDirKey {
    ScopedRegKey view32{"Software\\TQM", kView32};
    ScopedRegKey view64{"Software\\TQM", kView64};
};

TEST(Locations, FindsTheRunningWindowsDirectories)
{
    const std::string windir = Variable("WINDIR");
    Discovery d;
    ASSERT_TRUE(d.Go());
    if (IsWow64()) {
        EXPECT_EQ(d.run.paths.systemDir32, windir + "\\SysWOW64");
        EXPECT_EQ(d.run.paths.systemDir64, windir + "\\system32");
    } else {
        EXPECT_EQ(d.run.paths.systemDir32, windir + "\\system32");
        EXPECT_EQ(d.run.paths.systemDir64, "");
    }
    EXPECT_EQ(d.run.paths.windowsDir, windir);
    EXPECT_EQ(d.run.paths.programFilesDir, Variable("PROGRAMFILES"));

    std::vector<std::string> wanted = expected::LocationBoxes();
    wanted.push_back(Box(expected::kInstallDirCaption, d.run.paths.installDir));
    EXPECT_EQ(d.host.Boxes(), wanted);
    for (unsigned type : d.host.boxTypes)
        EXPECT_EQ(type, static_cast<unsigned>(MB_OK));
    // Windows, system, registry, program files, install directory.
    EXPECT_EQ(d.host.steps, 5);
}

TEST(Locations, MissingWindowsDirectoryStopsTheRun)
{
    const ScopedEnv unset("WINDIR", nullptr);
    Discovery loud;
    EXPECT_FALSE(loud.Go());
    EXPECT_EQ(loud.host.Boxes(), std::vector<std::string>{kWindirMissing});
    EXPECT_EQ(loud.host.boxTypes, std::vector<unsigned>{MB_ICONERROR});
    EXPECT_EQ(loud.host.steps, 0);

    // A value too long for the 512-byte buffer is no better than none.
    const std::string longDir = "C:\\" + std::string(600, 'w');
    const ScopedEnv tooLong("WINDIR", longDir.c_str());
    Discovery silent(true, false);
    EXPECT_FALSE(silent.Go());
    EXPECT_TRUE(silent.host.events.empty());
}

TEST(Locations, SystemDirectoriesOf64BitWindows)
{
    const ScratchDir windows("win64");
    const ScopedEnv windir("WINDIR", windows.Path().c_str());

    ASSERT_TRUE(MakeWindowsDir(windows, {"SysWOW64", "system32"}));
    Discovery found;
    ASSERT_TRUE(found.Go());
    EXPECT_EQ(found.run.paths.systemDir32, windows / "SysWOW64");
    EXPECT_EQ(found.run.paths.systemDir64, windows / "system32");

    // SysWOW64 without advapi32.dll stops the run although system32 has it.
    DeleteFileA((windows / "SysWOW64\\advapi32.dll").c_str());
    Discovery noWow;
    EXPECT_FALSE(noWow.Go());
    EXPECT_EQ(noWow.host.Boxes(), (std::vector<std::string>{Box(expected::kWindirCaption, windows.Path()),
                                                            kSysWow64Missing}));
    EXPECT_EQ(noWow.host.steps, 1);

    Discovery noWowSilent(true, false);
    EXPECT_FALSE(noWowSilent.Go());
    EXPECT_TRUE(noWowSilent.host.Boxes().empty());

    // SysWOW64 fine, system32 without it.
    ASSERT_TRUE(PlantFile(windows / "SysWOW64\\advapi32.dll"));
    DeleteFileA((windows / "system32\\advapi32.dll").c_str());
    Discovery noSystem;
    EXPECT_FALSE(noSystem.Go());
    EXPECT_EQ(noSystem.host.Boxes(),
              (std::vector<std::string>{Box(expected::kWindirCaption, windows.Path()),
                                        Box(expected::kSysWow64Caption, windows / "SysWOW64"), kSystemMissing}));
}

TEST(Locations, SystemDirectoryOf32BitWindows)
{
    const ScratchDir windows("win32");
    const ScopedEnv windir("WINDIR", windows.Path().c_str());

    // Only a "system" folder, as on the 9x family.
    ASSERT_TRUE(MakeWindowsDir(windows, {"system"}, {"system32"}));
    Discovery found;
    ASSERT_TRUE(found.Go());
    EXPECT_EQ(found.run.paths.systemDir32, windows / "system");
    EXPECT_EQ(found.run.paths.systemDir64, "");
    EXPECT_EQ(found.host.Boxes().at(1), Box(expected::kSystemDirCaption, windows / "system"));

    DeleteFileA((windows / "system\\advapi32.dll").c_str());
    Discovery missing;
    EXPECT_FALSE(missing.Go());
    EXPECT_EQ(missing.host.Boxes().back(), kSystemMissing);
}

TEST(Locations, ProgramFilesCandidatesStepOncePerRejection)
{
    const ScopedEnv programFiles("PROGRAMFILES", "C:\\morvtest\\nowhere");
    const ScopedEnv homeDrive("HOMEDRIVE", "Q:");
    Discovery d;
    ASSERT_TRUE(d.Go());
    // Both variables point nowhere; the third candidate, C:, is there.
    EXPECT_EQ(d.run.paths.programFilesDir, "C:\\Program Files");
    EXPECT_EQ(d.host.steps, 5 + 2);

    const ScopedEnv noProgramFiles("PROGRAMFILES", nullptr);
    const ScopedEnv noHomeDrive("HOMEDRIVE", nullptr);
    Discovery unset;
    ASSERT_TRUE(unset.Go());
    EXPECT_EQ(unset.run.paths.programFilesDir, "C:\\Program Files");
    EXPECT_EQ(unset.host.steps, 5 + 2);

    const ScratchDir home("home");
    ASSERT_TRUE(PlantDirs(home / "Program Files"));
    const ScopedEnv homeFolder("HOMEDRIVE", home.Path().c_str());
    Discovery second;
    ASSERT_TRUE(second.Go());
    EXPECT_EQ(second.run.paths.programFilesDir, home / "Program Files");
    EXPECT_EQ(second.host.steps, 5 + 1);
}

TEST(Locations, InstallDirectoryFromTheRegistry)
{
    const InstallDirKey key;
    const std::string mainKey = uninstall::kInstallDirKey;

    // Exactly one trailing backslash goes; the folder need not exist.
    ASSERT_TRUE(PlantString(mainKey, "MorvDir", "D:\\Apps\\Morvane\\\\", kView32));
    Discovery twoSlashes;
    ASSERT_TRUE(twoSlashes.Go());
    EXPECT_EQ(twoSlashes.run.paths.installDir, "D:\\Apps\\Morvane\\");

    ASSERT_TRUE(PlantString(mainKey, "MorvDir", "D:\\Apps\\Morvane\\", kView32));
    Discovery oneSlash;
    ASSERT_TRUE(oneSlash.Go());
    EXPECT_EQ(oneSlash.run.paths.installDir, "D:\\Apps\\Morvane");
    EXPECT_EQ(oneSlash.host.Boxes().back(), Box(expected::kInstallDirCaption, "D:\\Apps\\Morvane"));
}

TEST(Locations, UnusableRegistryValueFallsBackToTheCandidates)
{
    const InstallDirKey key;
    const std::string mainKey = uninstall::kInstallDirKey;
    const ScratchDir programFiles("pf");
    const ScopedEnv programFilesEnv("PROGRAMFILES", programFiles.Path().c_str());
    ASSERT_TRUE(PlantDirs(programFiles / "TQV\\TQV Morvane"));

    // Not a string, too long for the buffer, or only in the 64-bit view.
    ASSERT_TRUE(PlantDword(mainKey, "MorvDir", 1, kView32));
    Discovery dword;
    ASSERT_TRUE(dword.Go());
    EXPECT_EQ(dword.run.paths.installDir, programFiles / "TQV\\TQV Morvane");

    ASSERT_TRUE(PlantString(mainKey, "MorvDir", "C:\\" + std::string(600, 'm'), kView32));
    Discovery tooLong;
    ASSERT_TRUE(tooLong.Go());
    EXPECT_EQ(tooLong.run.paths.installDir, programFiles / "TQV\\TQV Morvane");

    // In a key others may write, the value could name anything.
    ASSERT_TRUE(PlantString(mainKey, "MorvDir", "D:\\Apps\\Morvane", kView32));
    {
        const ScopedKeySecurity open(mainKey, kView32, "D:(A;;KA;;;BA)(A;;KA;;;BU)");
        ASSERT_TRUE(open.Made());
        Discovery writable;
        ASSERT_TRUE(writable.Go());
        EXPECT_EQ(writable.run.paths.installDir, programFiles / "TQV\\TQV Morvane");
    }

    if (IsWow64()) {
        DeleteTree("Software\\TQM", kView32);
        ASSERT_TRUE(PlantString(mainKey, "MorvDir", "D:\\Apps\\Morvane", kView64));
        Discovery otherView;
        ASSERT_TRUE(otherView.Go());
        EXPECT_EQ(otherView.run.paths.installDir, programFiles / "TQV\\TQV Morvane");
    }

    // Candidates in order: TQM\Morvane before TQV\Morvane before TQV\TQV Morvane.
    DeleteTree("Software\\TQM", kView32);
    ASSERT_TRUE(PlantDirs(programFiles / "TQV\\Morvane"));
    Discovery second;
    ASSERT_TRUE(second.Go());
    EXPECT_EQ(second.run.paths.installDir, programFiles / "TQV\\Morvane");
    ASSERT_TRUE(PlantDirs(programFiles / "TQM\\Morvane"));
    Discovery first;
    ASSERT_TRUE(first.Go());
    EXPECT_EQ(first.run.paths.installDir, programFiles / "TQM\\Morvane");
}

TEST(Locations, ProgramMenuByVersionClass)
{
    // "תפריט התחלה\תוכניות" and its product folder, in code page 1255 bytes.
    const std::string hebrewMenu = "\xFA\xF4\xF8\xE9\xE8 \xE4\xFA\xE7\xEC\xE4\\\xFA\xE5\xEB\xF0\xE9\xE5\xFA";
    const ScratchDir windows("menuwin");
    const ScratchDir allUsers("allusers");
    const ScopedEnv profile("ALLUSERSPROFILE", allUsers.Path().c_str());

    using Menus = std::vector<std::string>;
    EXPECT_EQ(uninstall::FindMenuDirs(windows.Path(), sysops::OSCLASS_WIN98), Menus{windows / "Start Menu\\Programs"});
    EXPECT_EQ(uninstall::FindMenuDirs(windows.Path(), sysops::OSCLASS_NT4),
              Menus{windows / "Profiles\\All Users\\Start Menu\\Programs"});
    EXPECT_EQ(uninstall::FindMenuDirs(windows.Path(), sysops::OSCLASS_WIN7), Menus{allUsers / "Start Menu\\Programs"});
    EXPECT_EQ(uninstall::FindMenuDirs(windows.Path(), sysops::OSCLASS_UNKNOWN), Menus{});

    // The Hebrew-named menu counts only when it holds the product's folder,
    // and then beside the English one, never instead of it.
    ASSERT_TRUE(PlantDirs(windows / hebrewMenu));
    ASSERT_TRUE(PlantDirs(allUsers / hebrewMenu));
    EXPECT_EQ(uninstall::FindMenuDirs(windows.Path(), sysops::OSCLASS_WINME), Menus{windows / "Start Menu\\Programs"});
    ASSERT_TRUE(PlantDirs(windows / (hebrewMenu + "\\Morvane")));
    ASSERT_TRUE(PlantDirs(allUsers / (hebrewMenu + "\\Morvane")));
    EXPECT_EQ(uninstall::FindMenuDirs(windows.Path(), sysops::OSCLASS_WINME),
              (Menus{windows / hebrewMenu, windows / "Start Menu\\Programs"}));
    EXPECT_EQ(uninstall::FindMenuDirs(windows.Path(), sysops::OSCLASS_WIN2000),
              (Menus{allUsers / hebrewMenu, allUsers / "Start Menu\\Programs"}));

    const ScopedEnv noProfile("ALLUSERSPROFILE", nullptr);
    EXPECT_EQ(uninstall::FindMenuDirs(windows.Path(), sysops::OSCLASS_WINXP), Menus{});
}

}  // namespace
