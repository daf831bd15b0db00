// A modal dialog made from a dialog template, with data exchange between
// member variables and controls.
#pragma once

#include "framework/CString.h"
#include "framework/CWnd.h"

// Direction and target of one data exchange.
class CDataExchange {
public:
    CDataExchange(CWnd* dlgWnd, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlgWnd)
    {
    }

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Binds `control` to the dialog's control `id`.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Copies the text of control `id` to or from `value`.
void DDX_Text(CDataExchange* pDX, int id, CString& value);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parentWnd = nullptr);

    // Creates the dialog and runs its modal loop; returns what EndDialog was
    // given, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();

    // The system's WM_INITDIALOG; the result says whether the system sets the focus.
    virtual BOOL OnInitDialog();

    // Runs DoDataExchange: FALSE moves members to controls, TRUE the reverse.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // IDOK: controls to members, then the dialog ends with IDOK.
    virtual void OnOK();
    // IDCANCEL: the dialog ends with IDCANCEL.
    virtual void OnCancel();

    const MessageMap* GetMessageMap() const override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool RouteCommand(UINT commandId, WPARAM wParam, LPARAM lParam);
    void CenterIfTemplateDoesNot();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
