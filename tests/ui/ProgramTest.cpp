// The real program, started as a user or a deployment tool would start it,
// its windows read and answered from outside.
#include "support/TestSupport.h"
#include "support/UiDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr char kTitle[] = "Morvane Uninstallation (Ver 4.8)";
constexpr char kFinalText[] =
    "Morvane has been removed successfuly.\n\nPlease Reboot the computer to complete the operation.";
constexpr int kStatusId = 1003;
constexpr int kProgressId = 1000;

std::string Env(const char* name)
{
    char value[1024] = {};
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

std::string Status(HWND dialog)
{
    return WindowText(GetDlgItem(dialog, kStatusId));
}

int BarPosition(HWND dialog)
{
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, kProgressId), PBM_GETPOS, 0, 0));
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

std::vector<std::string> Texts(const std::vector<BoxInfo>& boxes)
{
    std::vector<std::string> texts;
    for (const BoxInfo& box : boxes)
        texts.push_back(box.caption + ": " + box.text);
    return texts;
}

// The location boxes of a run on this machine, in order.
std::vector<std::string> LocationBoxes()
{
    const std::string windir = Env("WINDIR");
    std::vector<std::string> boxes = {"Environment Variable WINDIR: " + windir};
    const std::string systemDir = windir + (IsWow64() ? "\\SysWOW64" : "\\system32");
    if (IsWow64())
        boxes.push_back("Windows SysWOW64 Directory: " + systemDir);
    boxes.push_back("Windows System Directory: " + systemDir);
    boxes.push_back("Environment Variable PROGRAMFILES: " + Env("PROGRAMFILES"));
    boxes.push_back("Morvane Directory: ");
    return boxes;
}

TEST(Program, PromptsAndCancelLeavesWith1602)
{
    ProgramUnderTest program(ProgramPath(), "");
    const HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), kTitle);
    EXPECT_EQ(Status(dialog), "Click OK to uninstall.");
    EXPECT_EQ(BarPosition(dialog), 0);
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, kProgressId), PBM_GETRANGE, FALSE, 0), 50);
    EXPECT_EQ(LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)), IDOK);
    EXPECT_TRUE(Enabled(dialog, IDOK));
    // The template sits at 0, 0 without DS_CENTER: the framework centres it.
    RECT area;
    RECT window;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    ASSERT_TRUE(GetWindowRect(dialog, &window));
    EXPECT_NEAR(window.left - area.left, area.right - window.right, 2);
    EXPECT_NEAR(window.top - area.top, area.bottom - window.bottom, 2);

    ASSERT_TRUE(ProgramUnderTest::Click(dialog, IDCANCEL));
    EXPECT_EQ(program.WaitForExit(), 1602);
}

TEST(Program, DebugRunShowsEveryBoxInOrder)
{
    ProgramUnderTest program(ProgramPath(), "/x /debug /Whatever");
    std::vector<BoxInfo> arguments;
    BoxInfo box;
    for (int i = 0; i < 2 && program.WaitForBox(box); ++i) {
        arguments.push_back(box);
        EXPECT_EQ(box.owner, nullptr);  // no window exists yet
        ProgramUnderTest::PressOk(box);
    }
    EXPECT_EQ(Texts(arguments),
              (std::vector<std::string>{"Command Line Argument: /debug", "Command Line Argument: /Whatever"}));

    const HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    // Enter presses the default button, OK.
    PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);

    std::vector<std::string> seen;
    int barAtFinalBox = -1;
    while (program.WaitForBox(box)) {
        seen.push_back(box.caption + ": " + box.text);
        EXPECT_EQ(box.owner, dialog);
        EXPECT_EQ(Status(dialog), "Uninstalling...");
        EXPECT_FALSE(Enabled(dialog, IDOK));
        EXPECT_FALSE(Enabled(dialog, IDCANCEL));
        EXPECT_EQ(box.hasIcon, box.caption == "Information") << box.caption;
        if (box.caption == "Information")
            barAtFinalBox = BarPosition(dialog);
        ProgramUnderTest::PressOk(box);
    }
    std::vector<std::string> expected = LocationBoxes();
    ASSERT_GE(seen.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + expected.size()), expected);
    EXPECT_EQ(seen.back(), std::string("Information: ") + kFinalText);
    EXPECT_EQ(barAtFinalBox, 50);
    EXPECT_EQ(program.WaitForExit(), 3010);
}

TEST(Program, SilentRunNeverShowsAWindow)
{
    ProgramUnderTest program(ProgramPath(), "/s");
    EXPECT_EQ(program.WaitForExit(60000), 3010);
    EXPECT_FALSE(program.SawVisibleWindow());
}

TEST(Program, SilentDebugRunShowsOnlyTheDebugBoxes)
{
    // /s comes before /debug, so only /debug itself gets an argument box.
    ProgramUnderTest program(ProgramPath(), "/s /debug");
    const std::vector<BoxInfo> boxes = program.AnswerBoxesUntilExit();
    std::vector<std::string> expected = {"Command Line Argument: /debug"};
    for (const std::string& box : LocationBoxes())
        expected.push_back(box);
    const std::vector<std::string> seen = Texts(boxes);
    ASSERT_GE(seen.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + expected.size()), expected);
    for (const BoxInfo& box : boxes)
        EXPECT_NE(box.caption, "Information");
    EXPECT_EQ(program.WaitForExit(), 3010);
}

TEST(Program, MissingWindowsDirectoryAbortsAndCancelStillWorks)
{
    ProgramUnderTest program(ProgramPath(), "", {"WINDIR"});
    const HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ProgramUnderTest::Click(dialog, IDOK));

    BoxInfo box;
    ASSERT_TRUE(program.WaitForBox(box));
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, "Unable to find WINDIR variable. Program will abort !");
    EXPECT_TRUE(box.hasIcon);
    ProgramUnderTest::PressOk(box);

    // Nothing was removed; the dialog stays, and Cancel is the way out.
    for (int i = 0; i < 100 && !Enabled(dialog, IDCANCEL); ++i)
        Sleep(20);
    EXPECT_EQ(Status(dialog), "Uninstalling...");
    EXPECT_FALSE(Enabled(dialog, IDOK));
    ASSERT_TRUE(ProgramUnderTest::Click(dialog, IDCANCEL));
    EXPECT_EQ(program.WaitForExit(), 1603);
}

TEST(Program, SilentRunWithoutWindowsDirectoryEndsQuietlyWith1603)
{
    ProgramUnderTest program(ProgramPath(), "/s", {"WINDIR"});
    EXPECT_EQ(program.WaitForExit(), 1603);
    EXPECT_FALSE(program.SawVisibleWindow());
}

class RefusedWindows : public ::testing::TestWithParam<const char*> {};

TEST_P(RefusedWindows, GetsTheUnsupportedBoxAndExit1654)
{
    const ScopedWindowsVersion version(GetParam());
    if (version.Refused())
        GTEST_SKIP() << "this prefix does not take " << GetParam();
    // The refusal comes before the command line is read: no argument box.
    ProgramUnderTest program(ProgramPath(), "/debug /s");
    const std::vector<BoxInfo> boxes = program.AnswerBoxesUntilExit();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "Unsupported Operating System !");
    EXPECT_TRUE(boxes[0].hasIcon);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(program.WaitForExit(), 1654);
}

// Windows 95, and Win32s, which no version class covers.
INSTANTIATE_TEST_SUITE_P(Program, RefusedWindows, ::testing::Values("win95", "win31"));

}  // namespace
