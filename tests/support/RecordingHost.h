// A run host without a window: it records what the run asks of it, in order,
// so a test can read the run's boxes, steps and status changes.
#pragma once

#include "uninstall/RunHost.h"

#include <string>
#include <vector>

namespace testing_support {

class RecordingHost : public uninstall::RunHost {
public:
    RecordingHost(bool silent, bool debug) : silent_(silent), debug_(debug) {}

    bool IsSilent() const override { return silent_; }
    bool IsDebug() const override { return debug_; }
    void DisableButtons() override { events.push_back("disable buttons"); }
    void SetStatus(const char* text) override { events.push_back(std::string("status ") + text); }
    void StepProgress() override;
    int ShowMessage(const char* text, const char* caption, unsigned type) override;
    void Close() override { events.push_back("close"); }
    void EnableCancel() override { events.push_back("enable cancel"); }
    void EndAsCancelled() override { events.push_back("end as cancelled"); }

    // "caption: text" of every box, in order.
    std::vector<std::string> Boxes() const;
    // The box types, in order.
    std::vector<unsigned> boxTypes;
    int steps = 0;
    // Everything, in order; consecutive steps are recorded one by one as "step".
    std::vector<std::string> events;

private:
    bool silent_;
    bool debug_;
};

}  // namespace testing_support
