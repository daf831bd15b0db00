#include "uninstall/Run.h"

#include <windows.h>

namespace uninstall {

void Run::Step()
{
    if (host_.IsSilent() || stepCount_ > kProgressSteps)
        return;
    host_.StepProgress();
    ++stepCount_;
}

void Run::DebugBox(const std::string& text, const char* caption)
{
    if (host_.IsDebug())
        host_.ShowMessage(text.c_str(), caption, MB_OK);
}

void Run::ErrorBox(const char* text)
{
    if (!host_.IsSilent())
        host_.ShowMessage(text, "Error", MB_ICONERROR);
}

}  // namespace uninstall
