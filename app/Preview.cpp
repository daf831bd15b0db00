#include "app/Preview.h"

#include "app/ExitStatus.h"
#include "uninstall/Sequence.h"
#include "uninstall/Texts.h"

#include <windows.h>

namespace app {
namespace {

// A run host without a window: a preview shows no dialog and no progress;
// its boxes (debug, location errors) have no owner.
class PreviewHost : public uninstall::RunHost {
public:
    explicit PreviewHost(const Switches& switches) : switches_(switches) {}

    bool IsSilent() const override { return switches_.silent == 1; }
    bool IsDebug() const override { return switches_.debug == 1; }
    void DisableButtons() override {}
    void SetStatus(const char*) override {}
    void StepProgress() override {}
    int ShowMessage(const char* text, const char* caption, unsigned type) override
    {
        return ::MessageBoxA(nullptr, text, caption, type);
    }
    void Close() override {}
    void EnableCancel() override {}
    void EndAsCancelled() override {}

private:
    const Switches& switches_;
};

std::string Findings(std::size_t found, const RecordFile& file)
{
    std::string text = found == 0 ? std::string(texts::kNothingFound) : std::to_string(found) + texts::kItemsFound;
    text += texts::kNothingChanged;
    if (file.IsOpen())
        text += texts::kRecordIsIn + file.Path() + ".";
    else if (file.Path().empty())
        text += texts::kRecordHasNoFolder;
    else
        text += texts::kRecordCouldNotBeWritten + file.Path() + ".";
    return text;
}

}  // namespace

int RunPreview(uninstall::RunRecord& record, const Switches& switches, const RecordFile& file)
{
    PreviewHost host(switches);
    if (uninstall::RunUninstall(host, record, uninstall::Mode::Preview) != uninstall::RunOutcome::Completed)
        return kExitFailed;
    const std::size_t found =
        record.Count(uninstall::Outcome::WouldRemove) + record.Count(uninstall::Outcome::WouldSchedule);
    if (switches.silent == 0)
        ::MessageBoxA(nullptr, Findings(found, file).c_str(), texts::kCaption, MB_ICONINFORMATION);
    return found == 0 ? kExitNothingFound : kExitFound;
}

}  // namespace app
