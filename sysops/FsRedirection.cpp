#include "sysops/FsRedirection.h"

#include "sysops/SystemCalls.h"

#include <windows.h>

namespace sysops {

ScopedFsRedirectionOff::ScopedFsRedirectionOff(bool wanted)
{
    const SystemCalls& calls = Calls();
    if (!wanted || calls.wow64DisableRedirection == nullptr || calls.wow64RevertRedirection == nullptr)
        return;
    off_ = calls.wow64DisableRedirection(&oldValue_) != FALSE;
}

ScopedFsRedirectionOff::~ScopedFsRedirectionOff()
{
    if (off_)
        Calls().wow64RevertRedirection(oldValue_);
}

}  // namespace sysops
