#include "uninstall/Run.h"

#include "uninstall/Texts.h"

#include "sysops/Probes.h"
#include "sysops/SystemInfo.h"

#include <windows.h>

namespace uninstall {

Run::Run(RunHost& host, RunRecord& record, Mode mode)
    : is64BitWindows(sysops::Is64BitWindows()), osClass(sysops::GetOsClass()), host_(host), record_(record),
      mode_(mode), startMs_(sysops::Milliseconds())
{
}

void Run::BeginStage(const char* name)
{
    record_.Note("stage", std::string(name) + " at " + std::to_string(sysops::Milliseconds() - startMs_) + " ms");
}

void Run::Step(int steps)
{
    for (int i = 0; i < steps && !host_.IsSilent() && stepCount_ <= kProgressSteps; ++i) {
        host_.StepProgress();
        ++stepCount_;
    }
}

void Run::DebugBox(const std::string& text, const char* caption)
{
    if (host_.IsDebug())
        host_.ShowMessage(text.c_str(), caption, MB_OK);
}

void Run::ErrorBox(const char* text)
{
    if (!host_.IsSilent())
        host_.ShowMessage(text, texts::kErrorCaption, MB_ICONERROR);
}

RowContext Run::Context() const
{
    RowContext context;
    context.is64BitWindows = is64BitWindows;
    context.osClass = osClass;
    return context;
}

std::vector<sysops::RegistryView> Run::Views() const
{
    if (!is64BitWindows)
        return {View(0)};
    return {View(0), View(1)};
}

}  // namespace uninstall
