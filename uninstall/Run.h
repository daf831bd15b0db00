// The working state of one uninstall run: where things are, how far the
// progress bar has gone, and the boxes the run shows.
#pragma once

#include "uninstall/RunHost.h"

#include <string>

namespace uninstall {

// Directories without a trailing backslash; empty when not found.
struct RunPaths {
    std::string windowsDir;
    std::string systemDir32;      // SysWOW64 on 64-bit Windows, else system32 or system
    std::string systemDir64;      // the native system32 on 64-bit Windows only
    std::string installDir;
    std::string programFilesDir;
    std::string menuDir;          // all users' program menu
    std::string menuProductDir;   // the product's menu folder last deleted
};

class Run {
public:
    // The bar has this many steps; the run never steps past them.
    static constexpr int kProgressSteps = 50;

    explicit Run(RunHost& host) : host_(host) {}

    RunHost& Host() { return host_; }
    bool IsSilent() const { return host_.IsSilent(); }

    // One step of the bar, unless silent or already full.
    void Step();
    int StepCount() const { return stepCount_; }

    // Shown only with /debug.
    void DebugBox(const std::string& text, const char* caption);
    // Shown only when not silent.
    void ErrorBox(const char* text);

    RunPaths paths;
    // Decided once, when the run starts.
    bool is64BitWindows = false;
    // Windows Installer keeps its registrations in the 64-bit view there.
    unsigned long ViewMask64() const { return is64BitWindows ? 0x0100 /* KEY_WOW64_64KEY */ : 0; }

private:
    RunHost& host_;
    int stepCount_ = 1;
};

}  // namespace uninstall
