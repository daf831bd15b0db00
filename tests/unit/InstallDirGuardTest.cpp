#include "uninstall/InstallDirGuard.h"

#include "machine/Environment.h"
#include "machine/Views.h"

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

TEST(InstallDirGuard, OnlyATreeOfItsOwnMayBeDeleted)
{
    const uninstall::RunPaths paths = MachinePaths();

    const struct {
        std::string installDir;
        bool removable;
    } cases[] = {
        {"C:\\Morvane", true},
        {"D:\\Apps\\Morvane", true},
        {"C:\\Program Files\\TQM\\Morvane", true},
        {"C:\\Program Files (x86)\\TQV\\TQV Morvane", true},
        {ShortName("C:\\Program Files") + "\\TQM\\Morvane", true},
        {"C:\\ProgramData\\Morvane", true},
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
        {"C:\\Windows", false},
        {"C:\\WINDOWS\\system32", false},
        {"C:\\Windows\\System32\\drivers", false},
        {"C:\\Windows\\SysWOW64", false},
        {"C:\\ProgramData", false},
        {"C:\\users", false},
        {"C:\\users\\admin", false},
        {"C:\\Users\\Public", false},
        {"C:\\Users\\Public\\Morvane", false},
        {"C:/Windows", false},
    };
    for (const Environment& environment : kEnvironments) {
        SCOPED_TRACE(environment.name);
        std::vector<std::unique_ptr<ScopedEnv>> set;
        for (std::size_t i = 0; i < environment.count; ++i)
            set.push_back(std::make_unique<ScopedEnv>(environment.variables[i].name, environment.variables[i].value));
        for (const auto& c : cases)
            EXPECT_EQ(uninstall::IsRemovableInstallTree(c.installDir, paths, IsWow64()), c.removable) << c.installDir;
    }

    // Letters beyond ASCII compare without regard to case as well.
    uninstall::RunPaths localised = paths;
    localised.programFilesDir = "C:\\Programas e Aplica\xE7\xF5" "es";
    EXPECT_FALSE(uninstall::IsRemovableInstallTree("C:\\PROGRAMAS E APLICA\xC7\xD5" "ES", localised, IsWow64()));
    EXPECT_TRUE(uninstall::IsRemovableInstallTree("C:\\Programas e Aplica\xE7\xF5" "es\\TQM\\Morvane", localised, IsWow64()));
}

}  // namespace
