#include "sysops/Clock.h"

#include <windows.h>

namespace sysops {

void Pause(unsigned long milliseconds)
{
    Sleep(milliseconds);
}

}  // namespace sysops
