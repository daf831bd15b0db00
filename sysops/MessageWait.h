// Waiting on the thread that owns the program's window. A thread that waits
// without taking its messages leaves the window dead, and hangs any program
// that sends it a message (a broadcast, say) until the wait ends.
#pragma once

#include <windows.h>

namespace sysops {

// Waits until `object` is signalled or `timeoutMs` has passed, dispatching
// the calling thread's messages meanwhile; with a null object it just waits
// out the time. A WM_QUIT taken from the queue is posted again before it
// returns, for the message loop it belongs to. True when the object was
// signalled.
bool WaitDispatching(HANDLE object, unsigned long timeoutMs);

// Milliseconds of `boundMs` left `start` (a GetTickCount value) on; 0 once
// it is over. Correct across the wrap of the tick count.
unsigned long TimeLeft(unsigned long start, unsigned long boundMs);

}  // namespace sysops
