// The application object. The program defines exactly one, as a global; the
// entry point calls its InitInstance and ends the process with ExitInstance's
// result. There is no main message loop: the program lives in a modal dialog.
#pragma once

#include "framework/CWnd.h"

#include <windows.h>

// The framework's standard Help command.
constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // The process exit status.
    virtual int ExitInstance();

    HICON LoadIcon(UINT resourceId) const;

    LPCSTR m_pszAppName;
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

    // ID_HELP: the program ships no help file, so there is nothing to open.
    void OnHelp();

protected:
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
// The application's name, or the program file's base name when it has none.
LPCSTR AfxGetAppName();
