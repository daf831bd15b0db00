#include "sysops/ProcessEndings.h"

#include "sysops/MessageWait.h"

namespace sysops {

void Endings::Ended(UniqueKernelHandle process)
{
    ended_.push_back(std::move(process));
    matched_ = true;
}

void Endings::Failed(int code)
{
    matched_ = true;
    if (failure_ == KILL_DONE)
        failure_ = code;
}

int Endings::Finish()
{
    const unsigned long start = GetTickCount();
    for (const UniqueKernelHandle& process : ended_) {
        if (!WaitDispatching(process.Get(), TimeLeft(start, kEndWaitMs)))
            Failed(KILL_STILL_RUNNING);
    }
    return matched_ ? failure_ : KILL_NOT_FOUND;
}

}  // namespace sysops
