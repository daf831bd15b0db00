// What the uninstall run needs from the window it runs in. The dialog
// provides it; anything else that provides it can host a run.
#pragma once

namespace uninstall {

// The progress bar's length: the run makes at most this many steps, and
// the bar is full after them.
constexpr int kProgressSteps = 50;

enum class RunOutcome {
    NotStarted,
    Completed,  // every step ran; the host was closed
    Aborted,    // a location was not found; nothing was removed
};

class RunHost {
public:
    virtual ~RunHost() = default;

    virtual bool IsSilent() const = 0;
    virtual bool IsDebug() const = 0;

    // Cancel first, then OK.
    virtual void DisableButtons() = 0;
    virtual void SetStatus(const char* text) = 0;
    // Advances the progress bar by one of its kProgressSteps steps.
    virtual void StepProgress() = 0;
    // A box owned by the host window; returns the button pressed.
    virtual int ShowMessage(const char* text, const char* caption, unsigned type) = 0;
    // Ends the host window after a completed run.
    virtual void Close() = 0;

    // After an aborted run: lets the user leave with Cancel.
    virtual void EnableCancel() = 0;
    // After an aborted silent run: ends the host window as if cancelled.
    virtual void EndAsCancelled() = 0;
};

}  // namespace uninstall
