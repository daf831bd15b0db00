// The process entry: the global application object already exists (static
// initialisation made it); run it and end with its exit status.
#include "framework/CWinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    app->m_hInstance = instance;
    // InitInstance returns FALSE once its dialog has closed: with no main
    // window to pump for, the application ends here.
    app->InitInstance();
    return app->ExitInstance();
}
