#include "sysops/FsRedirection.h"

#include "sysops/SystemLibrary.h"

#include <windows.h>

namespace sysops {
namespace {

using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

// Looked up by name: Windows before XP SP2 (and every 9x) lacks them.
struct RedirectionCalls {
    DisableFn disable = nullptr;
    RevertFn revert = nullptr;
};

RedirectionCalls LookUpRedirectionCalls()
{
    RedirectionCalls calls;
    calls.disable = LookUpLoaded<DisableFn>("kernel32.dll", "Wow64DisableWow64FsRedirection");
    calls.revert = LookUpLoaded<RevertFn>("kernel32.dll", "Wow64RevertWow64FsRedirection");
    return calls;
}

}  // namespace

ScopedFsRedirectionOff::ScopedFsRedirectionOff(bool wanted)
{
    if (!wanted)
        return;
    const RedirectionCalls calls = LookUpRedirectionCalls();
    if (calls.disable == nullptr || calls.revert == nullptr)
        return;
    off_ = calls.disable(&oldValue_) != FALSE;
}

ScopedFsRedirectionOff::~ScopedFsRedirectionOff()
{
    if (!off_)
        return;
    const RedirectionCalls calls = LookUpRedirectionCalls();
    if (calls.revert != nullptr)
        calls.revert(oldValue_);
}

}  // namespace sysops
