#include "machine/UiDriver.h"

#include "res/resource.h"

namespace machine {
namespace {

constexpr DWORD kLookEveryMs = 20;
constexpr TimeOut kBoxGoneWait = std::chrono::seconds(10);
// The ids Windows gives a message box's text and icon.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x0440;

struct EnumState {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    auto* state = reinterpret_cast<EnumState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == state->pid && IsWindowVisible(window))
        state->windows.push_back(window);
    return TRUE;
}

bool IsDialogClass(HWND window)
{
    return ClassName(window) == "#32770";
}

bool IsMainDialog(HWND window)
{
    return IsDialogClass(window) && GetDlgItem(window, IDC_STATUS) != nullptr;
}

bool IsMessageBox(HWND window)
{
    return IsDialogClass(window) && GetDlgItem(window, kMessageBoxTextId) != nullptr &&
           GetDlgItem(window, IDC_STATUS) == nullptr;
}

BoxInfo ReadBox(HWND window)
{
    BoxInfo box;
    box.window = window;
    box.caption = WindowText(window);
    box.text = WindowText(GetDlgItem(window, kMessageBoxTextId));
    const HWND icon = GetDlgItem(window, kMessageBoxIconId);
    box.hasIcon = icon != nullptr && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
    box.owner = GetWindow(window, GW_OWNER);
    return box;
}

}  // namespace

std::string WindowText(HWND window)
{
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

ProgramUnderTest::ProgramUnderTest(const std::string& program, const std::string& arguments,
                                   const std::vector<std::string>& environment)
    : child_(Launch{CommandLine(program, arguments), std::string(), environment, StandardHandles::Shared})
{
}

std::vector<HWND> ProgramUnderTest::VisibleTopWindows()
{
    EnumState state{child_.Id(), {}};
    if (child_.Started())
        EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&state));
    if (!state.windows.empty())
        sampledVisible_ = true;
    return state.windows;
}

bool ProgramUnderTest::FindBox(BoxInfo& box)
{
    for (HWND window : VisibleTopWindows()) {
        if (IsMessageBox(window)) {
            box = ReadBox(window);
            return true;
        }
    }
    return false;
}

bool ProgramUnderTest::WaitForBox(BoxInfo& box, TimeOut timeOut)
{
    bool found = false;
    PollUntil(timeOut, [&] { return (found = FindBox(box)) || !child_.Running(); }, kLookEveryMs);
    return found;
}

void ProgramUnderTest::PressOk(const BoxInfo& box)
{
    // A message box with one button gives it the id IDOK.
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.window, IDOK)));
    // Gone before the next search, so that it does not find this box again.
    PollUntil(kBoxGoneWait, [&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, kLookEveryMs);
}

HWND ProgramUnderTest::FindDialog()
{
    for (HWND window : VisibleTopWindows()) {
        if (IsMainDialog(window))
            return window;
    }
    return nullptr;
}

HWND ProgramUnderTest::WaitForDialog(TimeOut timeOut)
{
    HWND dialog = nullptr;
    PollUntil(timeOut, [&] { return (dialog = FindDialog()) != nullptr || !child_.Running(); }, kLookEveryMs);
    return dialog;
}

bool ProgramUnderTest::Click(HWND dialog, int buttonId)
{
    const HWND button = GetDlgItem(dialog, buttonId);
    if (button == nullptr || !IsWindowEnabled(button))
        return false;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

std::vector<BoxInfo> ProgramUnderTest::AnswerBoxesUntilExit(TimeOut timeOut)
{
    std::vector<BoxInfo> boxes;
    PollUntil(timeOut, [&] {
        BoxInfo box;
        if (FindBox(box)) {
            boxes.push_back(box);
            PressOk(box);
        }
        return !child_.Running();
    }, kLookEveryMs);
    return boxes;
}

int ProgramUnderTest::WaitForExit(TimeOut timeOut)
{
    PollUntil(timeOut, [&] {
        VisibleTopWindows();
        return !child_.Running();
    }, kLookEveryMs);
    return child_.ExitCode(TimeOut(0));
}

}  // namespace machine
