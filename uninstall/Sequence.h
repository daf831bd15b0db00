// The uninstall run, from the first step to the closing of its host.
#pragma once

#include "uninstall/Record.h"
#include "uninstall/Run.h"
#include "uninstall/RunHost.h"

namespace uninstall {

// Runs the whole uninstall inside `host`. A completed run has closed the
// host; an aborted one has shown its error (unless silent) and left the host
// a way out: Cancel enabled, or, when silent, the host ended as if cancelled.
// Every item goes into `record`; after a completed removal its residue holds
// what is still there. A preview walks the same steps and changes nothing:
// no progress, no pause, no final box, and the host is left open.
RunOutcome RunUninstall(RunHost& host, RunRecord& record, Mode mode = Mode::Remove);

// The same, keeping the record to itself.
RunOutcome RunUninstall(RunHost& host);

}  // namespace uninstall
