// Stands in for the card middleware's programs. Copied as "scmon.exe" into
// the system directory, the uninstaller starts it with arguments: then it
// records its command line in the mark "<image>.txt" and leaves. Started
// without arguments (as the running "scmon.exe", "certmng.exe" and the
// others) it waits to be ended; if nothing ends it in time it leaves the
// mark "<image>.timeout.txt", so that an inspection can tell it was never
// ended, and exits with status 7.
#include "sample/SampleMarks.h"

#include <windows.h>

#include <string>

namespace {

constexpr DWORD kLifetimeMs = 10 * 60 * 1000;
constexpr int kTimedOut = 7;

// The first token of a command line, quoted or not, skipped with the blanks after it.
const char* SkipProgramName(const char* line)
{
    while (*line == ' ' || *line == '\t')
        ++line;
    if (*line == '"') {
        for (++line; *line != '\0' && *line != '"'; ++line) {}
        if (*line == '"')
            ++line;
    } else {
        while (*line != '\0' && *line != ' ' && *line != '\t')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

std::string OwnImageName()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string module(path);
    return module.substr(module.find_last_of('\\') + 1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::string image = OwnImageName();
    const char* commandLine = GetCommandLineA();
    if (*SkipProgramName(commandLine) != '\0') {
        sample_marks::AppendMark((image + ".txt").c_str(), commandLine);
        return 0;
    }
    Sleep(kLifetimeMs);
    sample_marks::AppendMark((image + ".timeout.txt").c_str(), "ran out its time");
    return kTimedOut;
}
