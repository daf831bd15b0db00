// The Windows version a Wine machine reports.
#pragma once

#include <string>

namespace machine {

// Sets the version the whole prefix reports to new processes, the way
// `winecfg -v` does, and puts back the version reported before when the
// object goes. Refused() is true when this prefix does not take the version
// (a 64-bit prefix takes nothing older than XP x64; a 32-bit one takes no
// x64 edition).
class ScopedWindowsVersion {
public:
    explicit ScopedWindowsVersion(const char* version);
    ~ScopedWindowsVersion();
    ScopedWindowsVersion(const ScopedWindowsVersion&) = delete;
    ScopedWindowsVersion& operator=(const ScopedWindowsVersion&) = delete;

    bool Refused() const { return refused_; }

private:
    std::string previous_;
    bool refused_ = false;
};

}  // namespace machine
