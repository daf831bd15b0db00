#include "machine/TimeOut.h"

#include "machine/Environment.h"

#include <cmath>
#include <cstdlib>

namespace machine {

double TimeScale()
{
    const std::string text = Variable("MORV_TIME_SCALE");
    char* end = nullptr;
    const double factor = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(factor) || factor <= 0)
        return 1;
    return factor;
}

DWORD Milliseconds(TimeOut timeOut)
{
    const double scaled = static_cast<double>(timeOut.count()) * TimeScale();
    if (scaled <= 0)
        return 0;
    if (scaled >= static_cast<double>(INFINITE))
        return INFINITE;
    return static_cast<DWORD>(scaled);
}

}  // namespace machine
