#include "uninstall/InstallDirGuard.h"

#include "machine/Environment.h"

#include <gtest/gtest.h>

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

TEST(InstallDirGuard, OnlyATreeOfItsOwnMayBeDeleted)
{
    const ScopedEnv programFiles("ProgramFiles", "C:\\Program Files");
    const ScopedEnv programW6432("ProgramW6432", "C:\\Program Files");
    const ScopedEnv common("CommonProgramFiles", "C:\\Program Files\\Common Files");
    const ScopedEnv allUsers("ALLUSERSPROFILE", "C:\\ProgramData");
    const ScopedEnv profile("USERPROFILE", "C:\\users\\admin");
    const ScopedEnv systemRoot("SystemRoot", "C:\\Windows");
    const uninstall::RunPaths paths = MachinePaths();

    const struct {
        const char* installDir;
        bool removable;
    } cases[] = {
        {"C:\\Morvane", true},
        {"D:\\Apps\\Morvane", true},
        {"C:\\Program Files\\TQM\\Morvane", true},
        {"C:\\Program Files (x86)\\TQV\\TQV Morvane", true},
        {"\\\\server\\apps\\Morvane", true},
        {"C:\\Windows Tools", true},          // a sibling, not the Windows directory
        // Roots, relative and odd forms.
        {"C:\\", false},
        {"C:", false},
        {"D:\\", false},
        {"\\\\server\\apps", false},
        {"\\\\server\\apps\\", false},
        {"Morvane", false},
        {"\\Morvane", false},
        {"C:Morvane", false},
        {"\\\\?\\C:\\Morvane", false},
        {"C:\\Morvane\\..\\Windows", false},
        // Folders of Windows, other software and users, and their parents.
        {"C:\\Program Files", false},
        {"c:\\program files", false},
        {"C:\\Program Files\\", false},
        {"C:\\Program Files (x86)", false},
        {"C:\\Program Files\\Common Files", false},
        {"C:\\Windows", false},
        {"C:\\WINDOWS\\system32", false},
        {"C:\\Windows\\SysWOW64", false},
        {"C:\\ProgramData", false},
        {"C:\\users", false},
        {"C:\\users\\admin", false},
        {"C:/Windows", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(uninstall::IsRemovableInstallTree(c.installDir, paths), c.removable) << c.installDir;
}

}  // namespace
