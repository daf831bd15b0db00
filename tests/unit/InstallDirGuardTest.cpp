#include "uninstall/InstallDirGuard.h"

#include "machine/Environment.h"
#include "machine/Files.h"
#include "machine/Registry.h"
#include "machine/Unix.h"
#include "machine/Views.h"
#include "support/Planting.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using machine::IsWow64;
using machine::ScopedEnv;

namespace {

uninstall::RunPaths MachinePaths()
{
    uninstall::RunPaths paths;
    paths.windowsDir = "C:\\Windows";
    paths.systemDir32 = "C:\\Windows\\SysWOW64";
    paths.systemDir64 = "C:\\Windows\\system32";
    paths.programFilesDir = "C:\\Program Files (x86)";
    return paths;
}

struct Variable {
    const char* name;
    const char* value;  // null: unset
};

// A person's session on 64-bit Windows 7.
constexpr Variable kInteractive[] = {
    {"ProgramFiles", "C:\\Program Files"},
    {"ProgramW6432", "C:\\Program Files"},
    {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
    {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
    {"CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files"},
    {"ALLUSERSPROFILE", "C:\\ProgramData"},
    {"USERPROFILE", "C:\\users\\admin"},
    {"SystemRoot", "C:\\Windows"},
};

// A 32-bit process run as SYSTEM on 64-bit Vista, as fleet tools start it:
// its profile is below system32, and no variable names the 64-bit
// program-files folders (ProgramW6432 came with Windows 7).
constexpr Variable kSystemOn64BitVista[] = {
    {"ProgramFiles", "C:\\Program Files (x86)"},
    {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
    {"ProgramW6432", nullptr},
    {"CommonProgramFiles", "C:\\Program Files (x86)\\Common Files"},
    {"CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files"},
    {"CommonProgramW6432", nullptr},
    {"ALLUSERSPROFILE", "C:\\ProgramData"},
    {"ProgramData", "C:\\ProgramData"},
    {"PUBLIC", "C:\\Users\\Public"},
    {"USERPROFILE", "C:\\Windows\\system32\\config\\systemprofile"},
    {"SystemRoot", "C:\\Windows"},
    {"windir", "C:\\Windows"},
};

struct Environment {
    const char* name;
    const Variable* variables;
    std::size_t count;
};

const Environment kEnvironments[] = {
    {"interactive", kInteractive, std::size(kInteractive)},
    {"SYSTEM on 64-bit Vista", kSystemOn64BitVista, std::size(kSystemOn64BitVista)},
};

// The 8.3 spelling this machine gives a folder, or the folder as it is
// when it has none.
std::string ShortName(const std::string& path)
{
    char buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

bool Accepted(const std::string& installDir, const uninstall::RunPaths& paths)
{
    return uninstall::JudgeInstallTree(installDir, paths, IsWow64()).tree.has_value();
}

// A user's profile kept outside the profiles directory, as ProfileList may say.
constexpr char kProfileKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-1-2-3-1999";
constexpr char kFarProfile[] = "C:\\morvtest\\far\\profile";

TEST(InstallDirGuard, OnlyATreeOfItsOwnMayBeDeleted)
{
    const uninstall::RunPaths paths = MachinePaths();
    const machine::ScopedRegKey profileKey(kProfileKey, machine::NativeView());
    ASSERT_TRUE(testing_support::PlantString(kProfileKey, "ProfileImagePath", kFarProfile, machine::NativeView()));

    const struct {
        std::string installDir;
        bool removable;
    } cases[] = {
        {"C:\\Morvane", true},
        {"C:\\morvtest\\far\\Morvane", true},   // beside a profile, not in it
        {"C:\\Program Files\\TQM\\Morvane", true},
        {"C:\\Program Files (x86)\\TQV\\TQV Morvane", true},
        {ShortName("C:\\Program Files") + "\\TQM\\Morvane", true},
        {"C:\\Windows Tools", true},          // a sibling, not the Windows directory
        // Roots, relative and odd forms.
        {"C:\\", false},
        {"C:", false},
        {"D:\\", false},
        {"\\\\server\\apps", false},
        {"\\\\server\\apps\\", false},
        {"\\\\server\\apps\\Morvane", false},  // the product installs on a local drive
        {"\\\\localhost\\c$\\Windows", false},
        {"Morvane", false},
        {"\\Morvane", false},
        {"C:Morvane", false},
        {"\\\\?\\C:\\Morvane", false},
        {"\\\\.\\C:\\Morvane", false},
        {"\\??\\C:\\Morvane", false},
        {"C:\\Morvane\\..\\Windows", false},
        {"C:\\Morvane:stream", false},
        {"C:\\Morv*", false},
        {"C:\\Morvane\r\nC:\\Windows", false},
        {"C:\\Morvane|more", false},
        // Windows drops a trailing dot or space: these name the Windows directory.
        {"C:\\Windows.", false},
        {"C:\\Windows ", false},
        // Folders of Windows, other software and users, and their parents.
        {"C:\\Program Files", false},
        {"c:\\program files", false},
        {"C:\\Program Files\\", false},
        {ShortName("C:\\Program Files"), false},
        {"C:\\Program Files (x86)", false},
        {"C:\\Program Files\\Common Files", false},
        {"C:\\Program Files (x86)\\Common Files", false},
        {"C:\\Program Files\\Common Files\\System", false},
        {"C:\\Program Files (x86)\\Common Files\\TQM\\Morvane", false},
        {"C:\\Windows", false},
        {"C:\\WINDOWS\\system32", false},
        {"C:\\Windows\\System32\\drivers", false},
        {"C:\\Windows\\SysWOW64", false},
        {"C:\\ProgramData", false},
        {"C:\\ProgramData\\Morvane", false},
        {"C:\\ProgramData\\Microsoft\\Crypto\\RSA\\MachineKeys", false},
        {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu", false},
        {"C:\\Windows\\Installer\\{6B1F3A27-4C95-4E0D-9A62-D3E8705C1B94}", false},
        {"C:\\System Volume Information", false},
        {"C:\\system volume information\\Morvane", false},
        {"C:\\$Recycle.Bin\\S-1-5-21-1-2-3-1001", false},
        {"C:\\RECYCLER\\Morvane", false},
        {"D:\\Recycled", false},
        {std::string(kFarProfile) + "\\Morvane", false},
        {kFarProfile, false},
        {"C:\\users", false},
        {"C:\\users\\admin", false},
        {"C:\\users\\admin\\Morvane", false},
        {"C:\\Users\\Public", false},
        {"C:\\Users\\Public\\Morvane", false},
        {"C:/Windows", false},
        // Only fixed local drives: none that is missing, removable or remote.
        {"Q:\\Apps\\Morvane", false},
    };
    for (const Environment& environment : kEnvironments) {
        SCOPED_TRACE(environment.name);
        std::vector<std::unique_ptr<ScopedEnv>> set;
        for (std::size_t i = 0; i < environment.count; ++i)
            set.push_back(std::make_unique<ScopedEnv>(environment.variables[i].name, environment.variables[i].value));
        for (const auto& c : cases)
            EXPECT_EQ(Accepted(c.installDir, paths), c.removable) << c.installDir;
    }

    // Letters beyond ASCII compare without regard to case as well.
    uninstall::RunPaths localised = paths;
    localised.programFilesDir = "C:\\Programas e Aplica\xE7\xF5" "es";
    EXPECT_FALSE(Accepted("C:\\PROGRAMAS E APLICA\xC7\xD5" "ES", localised));

    // A link on the way leads wherever its maker chose: it is not passed.
    const machine::ScratchDir scratch("guard");
    ASSERT_TRUE(machine::MakeDirs(scratch / "elsewhere\\Morvane"));
    ASSERT_TRUE(machine::MakeUnixLink(scratch.Path(), "linked", "elsewhere"));
    EXPECT_TRUE(Accepted(scratch / "elsewhere\\Morvane", paths));
    EXPECT_FALSE(Accepted(scratch / "linked\\Morvane", paths));
    EXPECT_FALSE(Accepted(scratch / "linked", paths));
    machine::RemoveUnixLink(scratch.Path(), "linked");
    EXPECT_TRUE(Accepted("C:\\Programas e Aplica\xE7\xF5" "es\\TQM\\Morvane", localised));
}

}  // namespace
