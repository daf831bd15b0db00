// Ending the copies of a program that a search finds, each through the
// handle its name was read with. Shared by the listings of both Windows
// families.
#pragma once

#include "sysops/Handles.h"
#include "sysops/Processes.h"
#include "sysops/Result.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace sysops {

// A copy is opened once with the rights to tell its name, to end it and to
// wait for it; without them, only to tell its name.
constexpr DWORD kEndRights = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE | SYNCHRONIZE;
constexpr DWORD kNameRights = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
// The ended copies have this long, together, to go: their files stay
// locked until they have.
constexpr unsigned long kEndWaitMs = 5000;

// What one search did: the copies it ended, still to be waited for, and the
// first failure it met.
class Endings {
public:
    void Ended(UniqueKernelHandle process);
    void Failed(Result failure);
    // Waits for the ended copies (kEndWaitMs at most, together); the
    // search's result: done, or the first failure (ERROR_TIMEOUT for a copy
    // that had not gone by the end of the wait).
    Result Finish();

private:
    std::vector<UniqueKernelHandle> ended_;
    Result failure_;
};

// Opens process `id` once and ends it through that same handle when
// `matches` (called with a handle of kNameRights at least) finds the target
// name in it. While a handle is open the id is not given to another
// process, so the process whose name was read is the one ended.
template <typename Matches>
void EndIfMatches(DWORD id, const Matches& matches, Endings& endings)
{
    UniqueKernelHandle process(OpenProcess(kEndRights, FALSE, id));
    if (!process) {
        // It cannot be ended; whether it was a copy still decides the result.
        const Result refused = Result::LastError();
        const UniqueKernelHandle readable(OpenProcess(kNameRights, FALSE, id));
        if (readable && matches(readable.Get()))
            endings.Failed(refused);
        return;
    }
    if (!matches(process.Get()))
        return;
    if (TerminateProcess(process.Get(), 0))
        endings.Ended(std::move(process));
    else
        endings.Failed(Result::LastError());
}

}  // namespace sysops
