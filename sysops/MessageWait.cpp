#include "sysops/MessageWait.h"

namespace sysops {
namespace {

// A queue that refills as fast as it is emptied (a window that posts
// itself a message for each one it gets) is left after this many.
constexpr int kMostMessagesAtOnce = 1000;

// Dispatches what is queued, up to the bound. No dialog keystrokes are
// translated: the dialog's own buttons are of no use while the run goes on.
void DispatchQueued(bool& quit, WPARAM& quitCode)
{
    MSG message;
    for (int taken = 0; taken < kMostMessagesAtOnce && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++taken) {
        if (message.message == WM_QUIT) {
            quit = true;
            quitCode = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

unsigned long TimeLeft(unsigned long start, unsigned long boundMs)
{
    const DWORD elapsed = GetTickCount() - static_cast<DWORD>(start);
    return elapsed < boundMs ? boundMs - elapsed : 0;
}

bool WaitDispatching(HANDLE object, unsigned long timeoutMs)
{
    const DWORD start = GetTickCount();
    const DWORD count = object != nullptr ? 1 : 0;
    bool quit = false;
    WPARAM quitCode = 0;
    bool signalled = false;
    for (;;) {
        // What came before the wait began would not wake it. However many
        // messages keep coming, the wait ends when its time is up.
        DispatchQueued(quit, quitCode);
        const DWORD left = TimeLeft(start, timeoutMs);
        const DWORD result = MsgWaitForMultipleObjects(count, count != 0 ? &object : nullptr, FALSE, left, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0 + count && left > 0)
            continue;
        signalled = count != 0 && (result == WAIT_OBJECT_0 || WaitForSingleObject(object, 0) == WAIT_OBJECT_0);
        break;
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    return signalled;
}

}  // namespace sysops
