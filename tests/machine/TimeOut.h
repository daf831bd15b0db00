// Time-outs of the waits on the machine. Every wait turns its time-out into
// milliseconds here, so that one factor stretches them all on a slow
// machine: MORV_TIME_SCALE, a positive number (1 when unset or unusable).
#pragma once

#include <windows.h>

#include <chrono>

namespace machine {

using TimeOut = std::chrono::milliseconds;

// The factor MORV_TIME_SCALE sets, read anew at each call.
double TimeScale();

// `timeOut` stretched by the factor, in milliseconds; INFINITE when that
// does not fit a wait's DWORD, so TimeOut::max() waits for ever.
DWORD Milliseconds(TimeOut timeOut);

// Asks `condition` every `everyMs` until it holds or `timeOut` has passed;
// whether it held. The interval is not stretched: it is no time-out.
template <typename Condition>
bool PollUntil(TimeOut timeOut, Condition condition, DWORD everyMs = 50)
{
    const DWORD limit = Milliseconds(timeOut);
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= limit)
            return false;
        Sleep(everyMs);
    }
}

}  // namespace machine
