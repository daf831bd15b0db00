// The test identity component, planted as the install tree's
// Installation\Seal5\idsl5in.dll. Each uninstall export leaves its own name
// as a line of the mark "identity.txt".
#include "sample/SampleMarks.h"

#include <windows.h>

extern "C" int WINAPI SealIdentityUninstall()
{
    sample_marks::AppendMark("identity.txt", "SealIdentityUninstall");
    return 0;
}

extern "C" int WINAPI SealIdentityUninstallNeedReboot()
{
    sample_marks::AppendMark("identity.txt", "SealIdentityUninstallNeedReboot");
    return 0;
}
