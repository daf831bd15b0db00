// The program's switches, read from the whole command line.
#pragma once

#include <cstddef>
#include <functional>

namespace app {

// One argument is held in this many bytes; a longer one is cut to fit.
constexpr std::size_t kArgumentBufferSize = 256;

struct Switches {
    int silent = 0;  // /s
    int debug = 0;   // /debug
};

// Every '/' on the command line starts an argument (inside the program's own
// path or quotes too), and only a space ends one. /s and /debug match whole
// arguments, ignoring case. From the first /debug on, each argument is passed
// to showArgument as it is read, whatever it is.
Switches ReadSwitches(const char* commandLine, const std::function<void(const char* argument)>& showArgument);

}  // namespace app
