// The uninstall run's view of the dialog.
#pragma once

#include "app/MorvUninstDlg.h"
#include "uninstall/RunHost.h"

class CDialogRunHost : public uninstall::RunHost {
public:
    explicit CDialogRunHost(CMorvUninstDlg& dialog) : m_dialog(dialog) {}

    bool IsSilent() const override { return m_dialog.m_bSilent == 1; }
    bool IsDebug() const override { return m_dialog.m_bDebug == 1; }
    void DisableButtons() override;
    void SetStatus(const char* text) override;
    void StepProgress() override;
    int ShowMessage(const char* text, const char* caption, unsigned type) override;
    void Close() override;
    void EnableCancel() override;
    void EndAsCancelled() override;

private:
    CMorvUninstDlg& m_dialog;
};
