// The real program, started as a user or a deployment tool would start it,
// its windows read and answered from outside.
#include "machine/Expected.h"
#include "machine/Files.h"
#include "machine/Paths.h"
#include "machine/UiDriver.h"
#include "machine/WindowsVersion.h"
#include "app/MorvUninstDlg.h"
#include "framework/CWinApp.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <string>
#include <vector>

using namespace machine;

namespace {

using expected::Box;

std::string Status(HWND dialog)
{
    return WindowText(GetDlgItem(dialog, IDC_STATUS));
}

int BarPosition(HWND dialog)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_GETPOS, 0, 0));
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

std::vector<std::string> Texts(const std::vector<BoxInfo>& boxes)
{
    std::vector<std::string> texts;
    for (const BoxInfo& box : boxes)
        texts.push_back(Box(box.caption, box.text));
    return texts;
}

// The location boxes of a run on this machine, in order; no install
// directory is found on it.
std::vector<std::string> LocationBoxes()
{
    std::vector<std::string> boxes = expected::LocationBoxes();
    boxes.push_back(Box(expected::kInstallDirCaption, ""));
    return boxes;
}

TEST(Program, PromptsAndCancelLeavesWith1602)
{
    ProgramUnderTest program(ProgramPath(), "");
    const HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), expected::kDialogTitle);
    EXPECT_EQ(Status(dialog), expected::kReadyStatus);
    EXPECT_EQ(BarPosition(dialog), 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_GETRANGE, FALSE, 0), expected::kBarEnd);
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
    EXPECT_EQ(Texts(arguments), (std::vector<std::string>{Box(expected::kArgumentCaption, "/debug"),
                                                          Box(expected::kArgumentCaption, "/Whatever")}));

    const HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    // Enter presses the default button, OK.
    PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);

    std::vector<std::string> seen;
    int barAtFinalBox = -1;
    while (program.WaitForBox(box)) {
        seen.push_back(Box(box.caption, box.text));
        EXPECT_EQ(box.owner, dialog);
        EXPECT_EQ(Status(dialog), expected::kRunningStatus);
        EXPECT_FALSE(Enabled(dialog, IDOK));
        EXPECT_FALSE(Enabled(dialog, IDCANCEL));
        EXPECT_EQ(box.hasIcon, box.caption == expected::kInformationCaption) << box.caption;
        if (box.caption == expected::kInformationCaption)
            barAtFinalBox = BarPosition(dialog);
        ProgramUnderTest::PressOk(box);
    }
    const std::vector<std::string> wanted = LocationBoxes();
    ASSERT_GE(seen.size(), wanted.size());
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + wanted.size()), wanted);
    EXPECT_EQ(seen.back(), Box(expected::kInformationCaption, expected::kFinalText));
    EXPECT_EQ(barAtFinalBox, expected::kBarEnd);
    EXPECT_EQ(program.WaitForExit(), 3010);
}

// Every window of this thread that was shown, however briefly: a hook on
// the thread sees each message as its window handled it.
class ShowWatch {
public:
    ShowWatch() : hook_(SetWindowsHookExA(WH_CALLWNDPROCRET, &Seen, nullptr, GetCurrentThreadId())) { shown_ = 0; }
    ~ShowWatch() { UnhookWindowsHookEx(hook_); }
    ShowWatch(const ShowWatch&) = delete;
    ShowWatch& operator=(const ShowWatch&) = delete;

    bool Hooked() const { return hook_ != nullptr; }
    int Shown() const { return shown_; }

private:
    static LRESULT CALLBACK Seen(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        // WM_SHOWWINDOW only announces a showing that WM_WINDOWPOSCHANGING
        // may still call off; what was shown is what changed position so.
        const bool shows = message->message == WM_WINDOWPOSCHANGED &&
                           (reinterpret_cast<const WINDOWPOS*>(message->lParam)->flags & SWP_SHOWWINDOW) != 0;
        if (code == HC_ACTION && (shows || IsWindowVisible(message->hwnd)))
            ++shown_;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static int shown_;
    HHOOK hook_;
};

int ShowWatch::shown_ = 0;

// The dialog of a silent run in this very process, its template and all, so
// that a hook sees it: not even the moment after its initialisation, when
// the dialog manager shows a template that asks to be visible, may show it.
TEST(Program, SilentRunShowsNoWindowEvenForAMoment)
{
    CWinApp application;
    const ShowWatch watch;
    ASSERT_TRUE(watch.Hooked());
    CMorvUninstDlg dialog;
    dialog.m_bSilent = 1;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetRunOutcome(), uninstall::RunOutcome::Completed);
    EXPECT_EQ(watch.Shown(), 0);
}

TEST(Program, SilentDebugRunShowsOnlyTheDebugBoxes)
{
    // /s comes before /debug, so only /debug itself gets an argument box.
    ProgramUnderTest program(ProgramPath(), "/s /debug");
    const std::vector<BoxInfo> boxes = program.AnswerBoxesUntilExit();
    std::vector<std::string> wanted = {Box(expected::kArgumentCaption, "/debug")};
    for (const std::string& box : LocationBoxes())
        wanted.push_back(box);
    const std::vector<std::string> seen = Texts(boxes);
    ASSERT_GE(seen.size(), wanted.size());
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + wanted.size()), wanted);
    for (const BoxInfo& box : boxes)
        EXPECT_NE(box.caption, expected::kInformationCaption);
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
    EXPECT_EQ(box.caption, expected::kErrorCaption);
    EXPECT_EQ(box.text, expected::kNoWindirText);
    EXPECT_TRUE(box.hasIcon);
    ProgramUnderTest::PressOk(box);

    // Nothing was removed; the dialog stays, and Cancel is the way out.
    PollUntil(std::chrono::seconds(2), [&] { return Enabled(dialog, IDCANCEL); }, 20);
    EXPECT_EQ(Status(dialog), expected::kRunningStatus);
    EXPECT_FALSE(Enabled(dialog, IDOK));
    ASSERT_TRUE(ProgramUnderTest::Click(dialog, IDCANCEL));
    EXPECT_EQ(program.WaitForExit(), 1603);
}

TEST(Program, SilentRunWithoutWindowsDirectoryEndsQuietlyWith1603)
{
    ProgramUnderTest program(ProgramPath(), "/s", {"WINDIR"});
    EXPECT_EQ(program.WaitForExit(), 1603);
    EXPECT_FALSE(program.SampledVisibleWindow());
}

// A preview needs no dialog: one box says what it found and where the
// record is, and the status says whether anything of the product is there.
TEST(Program, PreviewOfACleanMachineSaysSoInOneBox)
{
    const ScratchDir scratch("preview");
    const std::string record = scratch / "preview.log";
    ProgramUnderTest program(ProgramPath(), "/preview /log:" + record);
    const std::vector<BoxInfo> boxes = program.AnswerBoxesUntilExit();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, expected::kDialogTitle);
    EXPECT_EQ(boxes[0].text, expected::kNothingFoundText + record + ".");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_FALSE(ReadLines(record).empty());
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
    EXPECT_EQ(boxes[0].caption, expected::kErrorCaption);
    EXPECT_EQ(boxes[0].text, expected::kUnsupportedText);
    EXPECT_TRUE(boxes[0].hasIcon);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(program.WaitForExit(), 1654);
}

// Windows 95, and Win32s, which no version class covers.
INSTANTIATE_TEST_SUITE_P(Program, RefusedWindows, ::testing::Values("win95", "win31"));

}  // namespace
