#include "app/MorvUninstApp.h"

#include "app/CommandLine.h"
#include "app/ExitStatus.h"
#include "app/MorvUninstDlg.h"
#include "sysops/Probes.h"
#include "sysops/SystemLibrary.h"

CMorvUninstApp theApp;

CMorvUninstApp::CMorvUninstApp() : CWinApp(nullptr)
{
}

const MessageMap* CMorvUninstApp::GetMessageMap() const
{
    static const MessageMapEntry kEntries[] = {
        // void OnHelp()
        {WM_COMMAND, ID_HELP, &HandleVoid<CWinApp, &CWinApp::OnHelp>},
    };
    static const MessageMap kMap = {CWinApp::GetMessageMap(), kEntries, sizeof kEntries / sizeof kEntries[0]};
    return &kMap;
}

BOOL CMorvUninstApp::InitInstance()
{
    sysops::RemoveCurrentDirectoryFromLibrarySearch();
    const int osClass = sysops::GetOsClass();
    if (osClass == sysops::OSCLASS_WIN95 || osClass == sysops::OSCLASS_UNKNOWN) {
        ::MessageBoxA(nullptr, "Unsupported Operating System !", "Error", MB_ICONERROR);
        m_nExitCode = app::kExitRefused;
        return FALSE;
    }

    CMorvUninstDlg dlg;
    const char* commandLine = ::GetCommandLineA();
    dlg.m_bDebug = 0;
    dlg.m_bSilent = 0;
    const app::Switches switches = app::ReadSwitches(commandLine, [](const char* argument) {
        ::MessageBoxA(nullptr, argument, "Command Line Argument", MB_OK);
    });
    dlg.m_bSilent = switches.silent;
    dlg.m_bDebug = switches.debug;

    m_pMainWnd = &dlg;
    const INT_PTR result = dlg.DoModal();
    m_pMainWnd = nullptr;
    m_nExitCode = app::ExitStatusFor(dlg.GetRunOutcome(), result);
    return FALSE;
}
