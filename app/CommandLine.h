// The program's switches, read from the whole command line.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace app {

// One argument is held in this many bytes; a longer one is cut to fit.
constexpr std::size_t kArgumentBufferSize = 256;

struct Switches {
    int silent = 0;   // /s
    int debug = 0;    // /debug
    int log = 0;      // /log or /log:FILE
    int preview = 0;  // /preview
    std::string logPath;                 // FILE of /log:FILE; empty for the default file
    std::vector<std::string> arguments;  // every argument read, in order
};

// Every '/' on the command line starts an argument (inside the program's own
// path or quotes too), and only a space ends one. /s, /debug, /log and
// /preview match whole arguments and /log:FILE its first five characters,
// ignoring case. From the first /debug on, each argument is passed to
// showArgument as it is read, whatever it is.
Switches ReadSwitches(const char* commandLine, const std::function<void(const char* argument)>& showArgument);

// A call of a library's export that the program makes apart, in a process
// of its own it starts for it (sysops/ExportCall.h).
struct ExportCall {
    std::string exportName;
    std::string library;
};

// Whether the command line is such a call: after the program's path, the
// switch and the export's name, then a blank and the library's path to the
// end of the line (blanks and all).
bool ReadExportCall(const char* commandLine, ExportCall& call);

}  // namespace app
