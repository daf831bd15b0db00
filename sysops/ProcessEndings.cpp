#include "sysops/ProcessEndings.h"

#include "sysops/MessageWait.h"

namespace sysops {

void Endings::Ended(UniqueKernelHandle process)
{
    ended_.push_back(std::move(process));
}

void Endings::Failed(Result failure)
{
    if (failure_.Done())
        failure_ = failure.Done() ? Result::Error(ERROR_ACCESS_DENIED) : failure;
}

Result Endings::Finish()
{
    const unsigned long start = GetTickCount();
    for (const UniqueKernelHandle& process : ended_) {
        if (!WaitDispatching(process.Get(), TimeLeft(start, kEndWaitMs)))
            Failed(Result::Error(ERROR_TIMEOUT));
    }
    return failure_;
}

}  // namespace sysops
