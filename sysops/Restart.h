// Deletions Windows carries out at the next restart, for what is in use now,
// as installers schedule them: on the NT family in the Session Manager's
// list that MoveFileEx writes, on the 9x family in WININIT.INI's [rename]
// section.
#pragma once

#include "sysops/Result.h"

#include <string>

namespace sysops {

// Whether a deletion failed because the file is in use: open in another
// program, or mapped or running (on the 9x family, where nobody's rights
// stand in the way, any refusal of a file that is not read-only).
bool IsInUse(const Result& result);

// Whether the file or folder `path` (a plain "C:\..." path that names it
// without file-system redirection) is already to be deleted at the restart.
bool IsScheduledForRestart(const std::string& path);

// Schedules the file, or the folder (once empty), `path` for deletion at
// the next restart, unless it already is: Result::AtRestart() then. The
// deletions of the NT family are carried out by a native process, to which
// no redirection applies: a 32-bit system file must be named by its
// SysWOW64 path. A read-only file loses the attribute once it is on the
// list, as Windows deletes none at the start; one with other names (hard
// links), which would lose it too, is not scheduled (ERROR_ACCESS_DENIED).
// The 9x family deletes files only; a folder is
// left (ERROR_NOT_SUPPORTED).
Result ScheduleForRestart(const std::string& path, bool folder);

}  // namespace sysops
