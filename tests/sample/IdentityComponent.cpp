// The test identity component, planted as the install tree's
// Installation\Seal5\idsl5in.dll. Each uninstall export leaves its own name
// as a line of the mark "identity.txt", then does what the mark folder's
// "identity-behaviour.txt" asks: nothing, "crash" or "hang" (never return).
#include "sample/SampleMarks.h"

#include <windows.h>

namespace {

void Behave()
{
    char path[MAX_PATH];
    lstrcpyA(path, sample_marks::kFolder);
    lstrcatA(path, "\\");
    lstrcatA(path, sample_marks::kIdentityBehaviour);
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char text[16] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    if (lstrcmpA(text, "crash") == 0)
        RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    if (lstrcmpA(text, "hang") == 0)
        Sleep(INFINITE);
}

}  // namespace

extern "C" int WINAPI SealIdentityUninstall()
{
    sample_marks::AppendMark("identity.txt", "SealIdentityUninstall");
    Behave();
    return 0;
}

extern "C" int WINAPI SealIdentityUninstallNeedReboot()
{
    sample_marks::AppendMark("identity.txt", "SealIdentityUninstallNeedReboot");
    Behave();
    return 0;
}
