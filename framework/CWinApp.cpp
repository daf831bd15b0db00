#include "framework/CWinApp.h"

#include <cstring>
#include <string>

namespace {

CWinApp* g_app = nullptr;

std::string ProgramBaseName()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return std::string();
    std::string name(path, length);
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

}  // namespace

CWinApp::CWinApp(LPCSTR appName) : m_pszAppName(appName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return FALSE;
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

HICON CWinApp::LoadIcon(UINT resourceId) const
{
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId));
}

void CWinApp::OnHelp()
{
}

CWinApp* AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetResourceHandle()
{
    return g_app != nullptr && g_app->m_hInstance != nullptr ? g_app->m_hInstance
                                                             : ::GetModuleHandleA(nullptr);
}

LPCSTR AfxGetAppName()
{
    if (g_app != nullptr && g_app->m_pszAppName != nullptr)
        return g_app->m_pszAppName;
    static const std::string baseName = ProgramBaseName();
    return baseName.c_str();
}
