// Running an outside program and waiting for it.
#pragma once

#include <string>

namespace sysops {

// Starts "dir\program" by its full path, with `arguments` after the quoted
// path on its command line and `dir` as its current directory, and waits for
// it to end, however long that takes. Its exit code, or -1 when it could not
// be started (also when the path does not fit the program's buffers).
int SpawnAndWait(const std::string& dir, const char* program, const char* arguments);

}  // namespace sysops
