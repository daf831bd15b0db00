// The application: gate the Windows version, read the switches, run the dialog.
#pragma once

#include "framework/CWinApp.h"

class CMorvUninstApp : public CWinApp {
public:
    CMorvUninstApp();

    BOOL InitInstance() override;

protected:
    const MessageMap* GetMessageMap() const override;
};

extern CMorvUninstApp theApp;
