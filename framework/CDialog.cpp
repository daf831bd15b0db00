#include "framework/CDialog.h"

#include "framework/CWinApp.h"
#include "sysops/SystemCalls.h"

#include <commctrl.h>

#include <vector>

namespace {

// The common controls' window classes (the progress bar among them) are
// registered by comctl32, loaded from the system directory and kept: the
// classes live in it. Windows 95 and NT 4 without a newer comctl32 lack
// InitCommonControlsEx; their InitCommonControls registers every class.
void RegisterCommonControls()
{
    const sysops::SystemCalls& calls = sysops::Calls();
    if (calls.initCommonControlsEx != nullptr) {
        const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        if (calls.initCommonControlsEx(&controls))
            return;
    }
    if (calls.initCommonControls != nullptr)
        calls.initCommonControls();
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (control.m_hWnd == nullptr || !::IsWindow(control.m_hWnd))
        control.m_hWnd = pDX->m_pDlgWnd->GetDlgItem(id);
}

void DDX_Text(CDataExchange* pDX, int id, CString& value)
{
    const HWND item = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(item, value);
        return;
    }
    const int length = ::GetWindowTextLengthA(item);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    ::GetWindowTextA(item, text.data(), length + 1);
    value = text.data();
}

CDialog::CDialog(UINT templateId, CWnd* parentWnd) : m_nIDTemplate(templateId), m_pParentWnd(parentWnd)
{
}

const MessageMap* CDialog::GetMessageMap() const
{
    static const MessageMapEntry kEntries[] = {
        // void OnOK()
        {WM_COMMAND, IDOK, &HandleVoid<CDialog, &CDialog::OnOK>},
        // void OnCancel()
        {WM_COMMAND, IDCANCEL, &HandleVoid<CDialog, &CDialog::OnCancel>},
    };
    static const MessageMap kMap = {CWnd::GetMessageMap(), kEntries, sizeof kEntries / sizeof kEntries[0]};
    return &kMap;
}

INT_PTR CDialog::DoModal()
{
    // Dialog templates may name common controls; their classes must exist
    // before the dialog manager creates the controls.
    RegisterCommonControls();

    const HWND parent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), parent,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int result)
{
    ::EndDialog(m_hWnd, result);
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hwnd;
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (dialog == nullptr)
        return FALSE;  // messages that come before WM_INITDIALOG (WM_SETFONT)
    const INT_PTR handled = dialog->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        dialog->m_hWnd = nullptr;
    return handled;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CenterIfTemplateDoesNot();
        return OnInitDialog();
    }
    if (message == WM_COMMAND)
        return RouteCommand(LOWORD(wParam), wParam, lParam) ? TRUE : FALSE;

    LRESULT result = 0;
    if (!Dispatch(message, 0, wParam, lParam, result))
        return FALSE;
    if (TakeDefaultRequest())
        return FALSE;  // the handler asked for the dialog manager's own handling
    if (message == WM_QUERYDRAGICON)
        return static_cast<INT_PTR>(result);  // returned directly, not via DWLP_MSGRESULT
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

// The dialog manager centres a DS_CENTER template itself and leaves any
// other at the template's position; the framework centres those before the
// dialog is first shown.
void CDialog::CenterIfTemplateDoesNot()
{
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    if ((style & (DS_CENTER | DS_ABSALIGN | WS_CHILD)) == 0)
        CenterWindow();
}

// Commands go to the dialog first, then to the application, as the
// framework's command routing does.
bool CDialog::RouteCommand(UINT commandId, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (Dispatch(WM_COMMAND, commandId, wParam, lParam, result))
        return true;
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->Dispatch(WM_COMMAND, commandId, wParam, lParam, result);
}
