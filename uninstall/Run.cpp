#include "uninstall/Run.h"

#include "sysops/Probes.h"
#include "sysops/Registry.h"
#include "sysops/SystemInfo.h"

#include <windows.h>

namespace uninstall {

Run::Run(RunHost& host, RunRecord& record, Mode mode)
    : is64BitWindows(sysops::Is64BitWindows() == 1), host_(host), record_(record), mode_(mode),
      startMs_(sysops::Milliseconds())
{
}

void Run::BeginStage(const char* name)
{
    record_.Note("stage", std::string(name) + " at " + std::to_string(sysops::Milliseconds() - startMs_) + " ms");
}

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

RowContext Run::Context() const
{
    RowContext context;
    context.is64BitWindows = is64BitWindows;
    return context;
}

unsigned long Run::InstallerView() const
{
    return sysops::ViewBits(is64BitWindows, 1);
}

unsigned long Run::ProductView() const
{
    return sysops::ViewBits(is64BitWindows, 0);
}

}  // namespace uninstall
