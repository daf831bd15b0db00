// Drives the real program in its own process: starts it, finds its dialog
// and message boxes among the desktop's windows, reads them and presses
// their buttons, the way a user would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

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
    // EnvironmentWith (empty: the test's own environment).
    ProgramUnderTest(const std::string& program, const std::string& arguments,
                     const std::vector<std::string>& environment = {});
    ~ProgramUnderTest();  // ends the program if it is still running
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    bool Started() const { return process_ != nullptr; }

    // The next visible message box of the program, or false after timeoutMs
    // (also false when the program ends first).
    bool WaitForBox(BoxInfo& box, DWORD timeoutMs = 30000);
    // Presses the box's OK (or its only) button.
    static void PressOk(const BoxInfo& box);

    // The program's visible main dialog, or null after timeoutMs.
    HWND WaitForDialog(DWORD timeoutMs = 30000);
    // Clicks a dialog button, as the mouse would: false when it is disabled.
    static bool Click(HWND dialog, int buttonId);

    // Reads and answers every box until the program ends; returns the boxes.
    std::vector<BoxInfo> AnswerBoxesUntilExit(DWORD timeoutMs = 60000);

    // The exit status, or -1 when the program has not ended within timeoutMs.
    int WaitForExit(DWORD timeoutMs = 30000);

    // Whether any window of the program has been seen visible so far.
    bool SawVisibleWindow() const { return sawVisible_; }

private:
    std::vector<HWND> VisibleTopWindows();
    bool HasEnded() const;

    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    bool sawVisible_ = false;
};

std::string WindowText(HWND window);
std::string ClassName(HWND window);

}  // namespace testing_support
