// The process exit status, for the deployment tools that start the program.
// The values are the Windows Installer ones those tools already understand.
#pragma once

#include "uninstall/RunHost.h"

#include <windows.h>

namespace app {

constexpr int kExitRebootRequired = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED: the run completed
constexpr int kExitUserCancelled = 1602;   // ERROR_INSTALL_USEREXIT: cancelled before the run
constexpr int kExitFailed = 1603;          // ERROR_INSTALL_FAILURE: the run was cut short
constexpr int kExitRefused = 1654;         // ERROR_INSTALL_REJECTED: this Windows is not supported

// The status once the dialog has closed with `dialogResult` (-1 when it could
// not be created) after a run that ended with `outcome`.
inline int ExitStatusFor(uninstall::RunOutcome outcome, INT_PTR dialogResult)
{
    switch (outcome) {
    case uninstall::RunOutcome::Completed: return kExitRebootRequired;
    case uninstall::RunOutcome::Aborted: return kExitFailed;
    case uninstall::RunOutcome::NotStarted: break;
    }
    return dialogResult == IDCANCEL ? kExitUserCancelled : kExitFailed;
}

}  // namespace app
