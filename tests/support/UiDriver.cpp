#include "support/UiDriver.h"

#include "support/TestSupport.h"

#include <algorithm>

namespace testing_support {
namespace {

constexpr DWORD kPollMs = 20;
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x0440;
constexpr int kStatusControlId = 1003;

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

bool IsMessageBox(HWND window)
{
    return IsDialogClass(window) && GetDlgItem(window, kMessageBoxTextId) != nullptr &&
           GetDlgItem(window, kStatusControlId) == nullptr;
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
{
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    std::vector<char> block;
    if (!environment.empty())
        block = EnvironmentWith(environment);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, block.empty() ? nullptr : block.data(),
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        pid_ = info.dwProcessId;
    }
}

ProgramUnderTest::~ProgramUnderTest()
{
    if (process_ == nullptr)
        return;
    if (!HasEnded()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

bool ProgramUnderTest::HasEnded() const
{
    return process_ == nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

std::vector<HWND> ProgramUnderTest::VisibleTopWindows()
{
    EnumState state{pid_, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&state));
    if (!state.windows.empty())
        sawVisible_ = true;
    return state.windows;
}

bool ProgramUnderTest::WaitForBox(BoxInfo& box, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited <= timeoutMs; waited += kPollMs) {
        for (HWND window : VisibleTopWindows()) {
            if (!IsMessageBox(window))
                continue;
            box.window = window;
            box.caption = WindowText(window);
            box.text = WindowText(GetDlgItem(window, kMessageBoxTextId));
            const HWND icon = GetDlgItem(window, kMessageBoxIconId);
            box.hasIcon = icon != nullptr && IsWindowVisible(icon) &&
                          SendMessageA(icon, STM_GETICON, 0, 0) != 0;
            box.owner = GetWindow(window, GW_OWNER);
            return true;
        }
        if (HasEnded())
            return false;
        Sleep(kPollMs);
    }
    return false;
}

void ProgramUnderTest::PressOk(const BoxInfo& box)
{
    // A message box with one button gives it the id IDOK.
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.window, IDOK)));
    // Wait until it is gone, so that the next search does not find it again.
    for (int i = 0; i < 500 && IsWindow(box.window) && IsWindowVisible(box.window); ++i)
        Sleep(kPollMs);
}

HWND ProgramUnderTest::WaitForDialog(DWORD timeoutMs)
{
    for (DWORD waited = 0; waited <= timeoutMs; waited += kPollMs) {
        for (HWND window : VisibleTopWindows()) {
            if (IsDialogClass(window) && GetDlgItem(window, kStatusControlId) != nullptr)
                return window;
        }
        if (HasEnded())
            return nullptr;
        Sleep(kPollMs);
    }
    return nullptr;
}

bool ProgramUnderTest::Click(HWND dialog, int buttonId)
{
    const HWND button = GetDlgItem(dialog, buttonId);
    if (button == nullptr || !IsWindowEnabled(button))
        return false;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

std::vector<BoxInfo> ProgramUnderTest::AnswerBoxesUntilExit(DWORD timeoutMs)
{
    std::vector<BoxInfo> boxes;
    const DWORD start = GetTickCount();
    BoxInfo box;
    while (GetTickCount() - start < timeoutMs && WaitForBox(box, timeoutMs - (GetTickCount() - start))) {
        boxes.push_back(box);
        PressOk(box);
    }
    return boxes;
}

int ProgramUnderTest::WaitForExit(DWORD timeoutMs)
{
    if (process_ == nullptr)
        return -1;
    for (DWORD waited = 0; waited <= timeoutMs; waited += kPollMs) {
        VisibleTopWindows();
        if (HasEnded()) {
            DWORD code = 0;
            GetExitCodeProcess(process_, &code);
            return static_cast<int>(code);
        }
        Sleep(kPollMs);
    }
    return -1;
}

}  // namespace testing_support
