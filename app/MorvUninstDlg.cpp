#include "app/MorvUninstDlg.h"

#include "app/DialogRunHost.h"
#include "framework/CWinApp.h"
#include "uninstall/Sequence.h"
#include "uninstall/Texts.h"

#include <commctrl.h>

CMorvUninstDlg::CMorvUninstDlg(CWnd* parentWnd) : CDialog(IDD, parentWnd)
{
    m_strStatus = texts::kPrompt;
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    m_bDebug = 0;
    // m_bSilent is set by whoever creates the dialog, before it runs.
    m_bSilent = 0;
}

const MessageMap* CMorvUninstDlg::GetMessageMap() const
{
    static const MessageMapEntry kEntries[] = {
        // void OnPaint()
        {WM_PAINT, 0, &HandleVoid<CMorvUninstDlg, &CMorvUninstDlg::OnPaint>},
        // HCURSOR OnQueryDragIcon()
        {WM_QUERYDRAGICON, 0, &HandleCursor<CMorvUninstDlg, &CMorvUninstDlg::OnQueryDragIcon>},
        // void OnWindowPosChanging(WINDOWPOS* pos)
        {WM_WINDOWPOSCHANGING, 0, &HandleWindowPos<CMorvUninstDlg, &CMorvUninstDlg::OnWindowPosChanging>},
    };
    static const MessageMap kMap = {CDialog::GetMessageMap(), kEntries, sizeof kEntries / sizeof kEntries[0]};
    return &kMap;
}

void CMorvUninstDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Text(pDX, IDC_STATUS, m_strStatus);
}

BOOL CMorvUninstDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (m_bSilent == 1) {
        ShowWindow(SW_HIDE);
        m_btnCancel.EnableWindow(FALSE);
        m_btnOK.EnableWindow(FALSE);
        OnOK();
        return TRUE;
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SendDlgItemMessage(IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, uninstall::kProgressSteps));
    SendDlgItemMessage(IDC_PROGRESS, PBM_SETPOS, 0, 0);
    SendDlgItemMessage(IDC_PROGRESS, PBM_SETSTEP, 1, 0);
    return TRUE;
}

void CMorvUninstDlg::OnPaint()
{
    if (m_bSilent == 1)
        ShowWindow(SW_HIDE);

    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    dc.DrawIcon(IconOrigin(rect.right - rect.left, cxIcon), IconOrigin(rect.bottom - rect.top, cyIcon), m_hIcon);
}

// The template makes the dialog visible, and the dialog manager shows it
// after initialisation even when a silent run has already ended it there;
// hiding it at the next paint would still let it flash on the screen.
void CMorvUninstDlg::OnWindowPosChanging(WINDOWPOS* pos)
{
    if (m_bSilent == 1)
        pos->flags &= ~SWP_SHOWWINDOW;
    Default();
}

HCURSOR CMorvUninstDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CMorvUninstDlg::OnOK()
{
    // Enter still sends IDOK when the OK button is disabled, and an OK queued
    // while one of the run's boxes is up arrives inside the run; one run is
    // all there is.
    if (m_bRunStarted)
        return;
    m_bRunStarted = true;
    m_bRunning = true;
    CDialogRunHost host(*this);
    uninstall::RunRecord ownRecord;
    m_runOutcome = uninstall::RunUninstall(host, m_pRecord != nullptr ? *m_pRecord : ownRecord);
    m_bRunning = false;
}

void CMorvUninstDlg::OnCancel()
{
    // The run pumps the dialog's messages while it waits for outside
    // programs; nothing may end the dialog under it.
    if (m_bRunning)
        return;
    CDialog::OnCancel();
}
