#include "support/RecordingHost.h"

#include "machine/Expected.h"

#include <windows.h>

namespace testing_support {

void RecordingHost::StepProgress()
{
    ++steps;
    events.push_back("step");
}

int RecordingHost::ShowMessage(const char* text, const char* caption, unsigned type)
{
    events.push_back("box " + machine::expected::Box(caption, text));
    boxTypes.push_back(type);
    return IDOK;
}

std::vector<std::string> RecordingHost::Boxes() const
{
    std::vector<std::string> boxes;
    for (const std::string& event : events) {
        if (event.compare(0, 4, "box ") == 0)
            boxes.push_back(event.substr(4));
    }
    return boxes;
}

}  // namespace testing_support
