// Drives the real program in its own process: starts it, finds its dialog
// and message boxes among the desktop's windows, reads them and presses
// their buttons, the way a user would.
#pragma once

#include "machine/Child.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace machine {

struct BoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    bool hasIcon = false;
    HWND owner = nullptr;
};

class ProgramUnderTest {
public:
    // Starts `program` with `arguments`; `environment` changes as for
    // EnvironmentWith (empty: the starter's own environment).
    ProgramUnderTest(const std::string& program, const std::string& arguments,
                     const std::vector<std::string>& environment = {});
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    bool Started() const { return child_.Started(); }
    DWORD StartError() const { return child_.StartError(); }
    bool Running() const { return child_.Running(); }

    // The program's visible message box, if one is up now.
    bool FindBox(BoxInfo& box);
    // The next visible message box, or false after `timeOut` (also false
    // when the program ends first).
    bool WaitForBox(BoxInfo& box, TimeOut timeOut = std::chrono::seconds(30));
    // Presses the box's OK (or its only) button, and waits until it is gone.
    static void PressOk(const BoxInfo& box);

    // The program's visible main dialog, if it is up now.
    HWND FindDialog();
    // The same, waiting at most `timeOut`; null when it does not come.
    HWND WaitForDialog(TimeOut timeOut = std::chrono::seconds(30));
    // Clicks a dialog button, as the mouse would: false when it is disabled.
    static bool Click(HWND dialog, int buttonId);

    // Reads and answers every box until the program ends; the boxes, in order.
    std::vector<BoxInfo> AnswerBoxesUntilExit(TimeOut timeOut = std::chrono::seconds(60));

    // The exit status, or -1 when the program has not ended within `timeOut`.
    int WaitForExit(TimeOut timeOut = std::chrono::seconds(30));

    // Whether any window of the program was visible at one of the looks the
    // driver takes every 20 ms while it waits. A window shown and hidden
    // again between two looks is not seen.
    bool SampledVisibleWindow() const { return sampledVisible_; }

private:
    std::vector<HWND> VisibleTopWindows();

    Child child_;
    bool sampledVisible_ = false;
};

std::string WindowText(HWND window);
std::string ClassName(HWND window);

}  // namespace machine
