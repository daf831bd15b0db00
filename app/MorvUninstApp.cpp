#include "app/MorvUninstApp.h"

#include "app/CommandLine.h"
#include "app/ExitStatus.h"
#include "app/MorvUninstDlg.h"
#include "app/Preview.h"
#include "app/RecordFile.h"
#include "sysops/ExportCall.h"
#include "sysops/Probes.h"
#include "sysops/SystemLibrary.h"
#include "uninstall/Texts.h"

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
    // Started by a run of its own to call the identity component apart.
    app::ExportCall call;
    if (app::ReadExportCall(::GetCommandLineA(), call)) {
        m_nExitCode = static_cast<int>(sysops::CallExportHere(call.library, call.exportName));
        return FALSE;
    }
    const int osClass = sysops::GetOsClass();
    if (osClass == sysops::OSCLASS_WIN95 || osClass == sysops::OSCLASS_UNKNOWN) {
        ::MessageBoxA(nullptr, texts::kUnsupportedWindows, texts::kErrorCaption, MB_ICONERROR);
        m_nExitCode = app::kExitRefused;
        return FALSE;
    }

    CMorvUninstDlg dlg;
    const char* commandLine = ::GetCommandLineA();
    dlg.m_bDebug = 0;
    dlg.m_bSilent = 0;
    const app::Switches switches = app::ReadSwitches(commandLine, [](const char* argument) {
        ::MessageBoxA(nullptr, argument, texts::kArgumentCaption, MB_OK);
    });
    dlg.m_bSilent = switches.silent;
    dlg.m_bDebug = switches.debug;

    // Without /log or /preview the record stays in memory: the exit status
    // still comes from it.
    const bool writesRecord = switches.log == 1 || switches.preview == 1;
    app::RecordFile file(switches);
    uninstall::RunRecord record(writesRecord && file.Open() ? &file : nullptr);
    if (writesRecord && !file.IsOpen() && switches.debug == 1) {
        const std::string why = file.Path().empty() ? std::string(texts::kRecordNoFolder)
                                                    : texts::kRecordCannotWrite + file.Path() + ".";
        ::MessageBoxA(nullptr, why.c_str(), texts::kRecordCaption, MB_OK);
    }
    app::WriteHeader(record, switches);

    if (switches.preview == 1) {
        m_nExitCode = app::RunPreview(record, switches, file);
    } else {
        dlg.SetRecord(record);
        m_pMainWnd = &dlg;
        const INT_PTR result = dlg.DoModal();
        m_pMainWnd = nullptr;
        m_nExitCode = app::ExitStatusFor(dlg.GetRunOutcome(), result, !record.residue.empty());
    }
    record.WriteSummary();
    record.Note("exit", std::to_string(m_nExitCode));
    return FALSE;
}
