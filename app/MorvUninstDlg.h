// The program's only window: the prompt, a status line, the progress bar and
// OK / Cancel. OK runs the whole uninstall inside the dialog.
#pragma once

#include "framework/CDialog.h"
#include "res/resource.h"
#include "uninstall/Record.h"
#include "uninstall/RunHost.h"

class CMorvUninstDlg : public CDialog {
public:
    explicit CMorvUninstDlg(CWnd* parentWnd = nullptr);

    enum { IDD = IDD_UNINST_DIALOG };

    int m_bDebug;
    int m_bSilent;
    CButton m_btnOK;
    CButton m_btnCancel;
    CString m_strStatus;
    HICON m_hIcon;

    BOOL OnInitDialog() override;

    // How the uninstall run ended, if it was started.
    uninstall::RunOutcome GetRunOutcome() const { return m_runOutcome; }
    // Where the run records every item; set before the dialog runs.
    void SetRecord(uninstall::RunRecord& record) { m_pRecord = &record; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // The uninstall run.
    void OnOK() override;
    void OnCancel() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnWindowPosChanging(WINDOWPOS* pos);

    const MessageMap* GetMessageMap() const override;

private:
    friend class CDialogRunHost;

    uninstall::RunRecord* m_pRecord = nullptr;
    bool m_bRunStarted = false;
    bool m_bRunning = false;
    uninstall::RunOutcome m_runOutcome = uninstall::RunOutcome::NotStarted;
};

// Where a minimised window draws its icon: centred, rounding toward zero.
inline int IconOrigin(int clientExtent, int iconExtent)
{
    return (clientExtent - iconExtent + 1) / 2;
}
