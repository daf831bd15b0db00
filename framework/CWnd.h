// A window as the framework sees it: an HWND it does not own (the system
// destroys the dialog and its controls), plus the calls the program makes on it.
#pragma once

#include "framework/CCmdTarget.h"

#include <windows.h>

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int id) const;

    BOOL ShowWindow(int command);
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsIconic() const;
    BOOL GetClientRect(LPRECT rect) const;
    // Centres the window on its owner, or on the desktop's work area when it
    // has none (or the owner is hidden or minimised).
    void CenterWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // A box owned by this window; a null caption stands for the application's name.
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

protected:
    // Called from a message handler: the system's own handling runs after it.
    void Default() { m_bDefaultRequested = true; }
    bool TakeDefaultRequest();

private:
    bool m_bDefaultRequested = false;
};

class CButton : public CWnd {
};

// BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon);

    HDC m_hDC = nullptr;
    PAINTSTRUCT m_ps = {};

private:
    HWND m_hWnd;
};
