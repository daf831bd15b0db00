// Time as the run needs it.
#pragma once

namespace sysops {

// Waits `milliseconds` on the calling thread.
void Pause(unsigned long milliseconds);

}  // namespace sysops
