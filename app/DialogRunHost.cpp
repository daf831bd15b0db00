#include "app/DialogRunHost.h"

#include <commctrl.h>

void CDialogRunHost::DisableButtons()
{
    m_dialog.m_btnCancel.EnableWindow(FALSE);
    m_dialog.m_btnOK.EnableWindow(FALSE);
}

void CDialogRunHost::SetStatus(const char* text)
{
    m_dialog.m_strStatus = text;
    m_dialog.UpdateData(FALSE);
}

void CDialogRunHost::StepProgress()
{
    m_dialog.SendDlgItemMessage(IDC_PROGRESS, PBM_STEPIT, 0, 0);
}

int CDialogRunHost::ShowMessage(const char* text, const char* caption, unsigned type)
{
    return m_dialog.MessageBox(text, caption, type);
}

void CDialogRunHost::Close()
{
    m_dialog.CDialog::OnOK();
}

void CDialogRunHost::EnableCancel()
{
    m_dialog.m_btnCancel.EnableWindow(TRUE);
}

void CDialogRunHost::EndAsCancelled()
{
    m_dialog.CDialog::OnCancel();
}
