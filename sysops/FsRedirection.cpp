#include "sysops/FsRedirection.h"

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
    // kernel32 is always loaded in the process, so no reference is taken.
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return calls;
    calls.disable = reinterpret_cast<DisableFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    calls.revert = reinterpret_cast<RevertFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
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
