// The dry run (/preview): the whole run walked without a window, changing
// nothing, its findings in the record.
#pragma once

#include "app/CommandLine.h"
#include "app/RecordFile.h"
#include "uninstall/Record.h"

namespace app {

// Walks the run in preview over `record` and, unless silent, tells in a box
// how many items were found and where the record is. The exit status:
// kExitNothingFound, kExitFound, or kExitFailed when a location was missing.
int RunPreview(uninstall::RunRecord& record, const Switches& switches, const RecordFile& file);

}  // namespace app
