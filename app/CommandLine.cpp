#include "app/CommandLine.h"

#include "sysops/ExportCall.h"
#include "sysops/PathText.h"

#include <cstring>

namespace app {
namespace {

bool IsSwitch(const char* argument, const char* name)
{
    return sysops::SameText(argument, name);
}

constexpr char kLogToFile[] = "/log:";

// "/log:FILE": the switch's name, then the file.
bool IsLogToFile(const char* argument)
{
    return sysops::StartsWithText(argument, kLogToFile);
}

void Read(const char* argument, Switches& switches)
{
    if (IsSwitch(argument, "/s")) {
        switches.silent = 1;
    } else if (IsSwitch(argument, "/debug")) {
        switches.debug = 1;
    } else if (IsSwitch(argument, "/preview")) {
        switches.preview = 1;
    } else if (IsSwitch(argument, "/log")) {
        switches.log = 1;
    } else if (IsLogToFile(argument)) {
        switches.log = 1;
        switches.logPath = argument + sizeof kLogToFile - 1;
    }
}

}  // namespace

bool ReadExportCall(const char* commandLine, ExportCall& call)
{
    const std::string line = commandLine;
    const std::string marker = std::string(" ") + sysops::kCallExportSwitch;
    const std::size_t start = line.find(marker);
    if (start == std::string::npos)
        return false;
    const std::size_t name = start + marker.size();
    const std::size_t blank = line.find(' ', name);
    if (blank == std::string::npos || blank == name || blank + 1 >= line.size())
        return false;
    call.exportName = line.substr(name, blank - name);
    call.library = line.substr(blank + 1);
    return true;
}

Switches ReadSwitches(const char* commandLine, const std::function<void(const char* argument)>& showArgument)
{
    Switches switches;
    const char* cursor = std::strchr(commandLine, '/');
    while (cursor != nullptr) {
        const char* end = std::strchr(cursor, ' ');
        if (end == nullptr)
            end = cursor + std::strlen(cursor);

        char argument[kArgumentBufferSize];
        std::size_t length = static_cast<std::size_t>(end - cursor);
        if (length > kArgumentBufferSize - 1)
            length = kArgumentBufferSize - 1;
        std::memcpy(argument, cursor, length);
        argument[length] = '\0';

        Read(argument, switches);
        switches.arguments.emplace_back(argument);
        if (switches.debug == 1)
            showArgument(argument);

        // The search goes on after the whole argument, cut or not.
        cursor = std::strchr(end, '/');
    }
    return switches;
}

}  // namespace app
