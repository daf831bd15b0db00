// The program is 32-bit: on 64-bit Windows every access to the Windows
// directory's "system32" lands in SysWOW64 unless redirection is turned off
// for the thread. Work on the native system directory does that in a scope.
#pragma once

namespace sysops {

class ScopedFsRedirectionOff {
public:
    // Turns redirection off when `wanted` and the system offers the calls
    // (they exist only on 64-bit capable Windows); otherwise does nothing.
    explicit ScopedFsRedirectionOff(bool wanted = true);
    ~ScopedFsRedirectionOff();

    ScopedFsRedirectionOff(const ScopedFsRedirectionOff&) = delete;
    ScopedFsRedirectionOff& operator=(const ScopedFsRedirectionOff&) = delete;

    bool IsOff() const { return off_; }

private:
    void* oldValue_ = nullptr;
    bool off_ = false;
};

}  // namespace sysops
