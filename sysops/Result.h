// What an act on the system came to, one convention for every operation in
// sysops: done, or the Windows error code that says why not; for a failure
// no code names (a crash, a bound reached), a text that says it. Questions
// (is it there?) answer with bool instead.
#pragma once

#include <windows.h>

namespace sysops {

struct Result {
    unsigned long error = ERROR_SUCCESS;
    const char* why = nullptr;  // a static text, or null

    bool Done() const { return error == ERROR_SUCCESS && why == nullptr; }
    // Not done now: scheduled to be done at the next restart.
    bool Scheduled() const { return error == ERROR_SUCCESS_REBOOT_REQUIRED && why == nullptr; }

    static Result Ok() { return Result{}; }
    static Result Error(unsigned long code) { return Result{code, nullptr}; }
    // The calling thread's last error, as the call that failed left it; a
    // failure that left no code is still one.
    static Result LastError()
    {
        const unsigned long code = GetLastError();
        return Result{code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE, nullptr};
    }
    static Result Because(const char* text, unsigned long code = ERROR_SUCCESS) { return Result{code, text}; }
    static Result AtRestart() { return Result{ERROR_SUCCESS_REBOOT_REQUIRED, nullptr}; }
    // Done when `succeeded`, else the last error.
    static Result Of(bool succeeded) { return succeeded ? Ok() : LastError(); }
};

}  // namespace sysops
