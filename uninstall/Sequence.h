// The uninstall run, from the first step to the closing of its host.
#pragma once

#include "uninstall/RunHost.h"

namespace uninstall {

// Runs the whole uninstall inside `host`. A completed run has closed the
// host; an aborted one has shown its error (unless silent) and left the host
// a way out: Cancel enabled, or, when silent, the host ended as if cancelled.
RunOutcome RunUninstall(RunHost& host);

}  // namespace uninstall
