// The process exit status, for the deployment tools that start the program.
// The values are the Windows Installer ones those tools already understand.
#pragma once

#include "uninstall/RunHost.h"

#include <windows.h>

namespace app {

constexpr int kExitRebootRequired = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED: the product is gone
constexpr int kExitUserCancelled = 1602;   // ERROR_INSTALL_USEREXIT: cancelled before the run
constexpr int kExitFailed = 1603;          // ERROR_INSTALL_FAILURE: the product is still on this computer
constexpr int kExitRefused = 1654;         // ERROR_INSTALL_REJECTED: this Windows is not supported
// A preview's: whether it found anything of the product.
constexpr int kExitNothingFound = 0;
constexpr int kExitFound = 1;

// The status once the dialog has closed with `dialogResult` (-1 when it could
// not be created) after a run that ended with `outcome`; `residue` says
// whether anything the run acted on is still there.
inline int ExitStatusFor(uninstall::RunOutcome outcome, INT_PTR dialogResult, bool residue)
{
    switch (outcome) {
    case uninstall::RunOutcome::Completed: return residue ? kExitFailed : kExitRebootRequired;
    case uninstall::RunOutcome::Aborted: return kExitFailed;
    case uninstall::RunOutcome::NotStarted: break;
    }
    return dialogResult == IDCANCEL ? kExitUserCancelled : kExitFailed;
}

}  // namespace app
