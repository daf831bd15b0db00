// Reports, as its exit status, the version class this program sees. Started
// by the tests under per-program Windows versions.
//   osprobe            GetOsClass()
//   osprobe plain      the same through a version reader that refuses the
//                      extended record, as Windows before 2000 SP6 does
//   osprobe bits       Is64BitWindows()
#include "sysops/Probes.h"

#include <cstring>

namespace {

BOOL WINAPI ReadPlainVersionOnly(LPOSVERSIONINFOA info)
{
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    return GetVersionExA(info);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "plain") == 0)
        return sysops::GetOsClassWith(&ReadPlainVersionOnly);
    if (argc > 1 && std::strcmp(argv[1], "bits") == 0)
        return sysops::Is64BitWindows();
    return sysops::GetOsClass();
}
