#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Scan {
    app::Switches switches;
    std::vector<std::string> shown;
};

Scan ScanLine(const std::string& commandLine)
{
    Scan scan;
    scan.switches = app::ReadSwitches(commandLine.c_str(),
                                      [&](const char* argument) { scan.shown.push_back(argument); });
    return scan;
}

struct SwitchCase {
    const char* commandLine;
    int silent;
    int debug;
    std::vector<std::string> shown;
    int log = 0;
    int preview = 0;
    const char* logPath = "";
};

TEST(CommandLine, SwitchesAndArgumentBoxes)
{
    const SwitchCase cases[] = {
        {"C:\\Tools\\MorvUninst.exe", 0, 0, {}},
        {"MorvUninst.exe /s", 1, 0, {}},
        {"MorvUninst.exe /S", 1, 0, {}},
        {"MorvUninst.exe /Debug", 0, 1, {"/Debug"}},
        {"MorvUninst.exe /DEBUG /s", 1, 1, {"/DEBUG", "/s"}},
        // Whole arguments only.
        {"MorvUninst.exe /silent /debugx", 0, 0, {}},
        // A second '/' inside an argument does not start another one.
        {"MorvUninst.exe /s/debug", 0, 0, {}},
        // Only a space ends an argument; a tab does not.
        {"MorvUninst.exe /s\t/debug", 0, 0, {}},
        // From the first /debug on, every argument is shown, known or not.
        {"MorvUninst.exe /debug /s /x", 1, 1, {"/debug", "/s", "/x"}},
        {"MorvUninst.exe /s /x /debug", 1, 1, {"/debug"}},
        {"MorvUninst.exe /debug /debug /s /s", 1, 1, {"/debug", "/debug", "/s", "/s"}},
        // A '/' in the program's own path or in quotes starts an argument too.
        {"\"Z:/opt/tools/MorvUninst.exe\" /debug", 0, 1, {"/debug"}},
        {"\"C:\\a b/c d\\MorvUninst.exe\" /debug", 0, 1, {"/debug"}},
        {"MorvUninst.exe /debug \"/s\"", 0, 1, {"/debug", "/s\""}},
        {"MorvUninst.exe /debug x/s", 1, 1, {"/debug", "/s"}},
        // Several spaces, and a '/' at the very end.
        {"MorvUninst.exe   /debug    /", 0, 1, {"/debug", "/"}},
        // The record and the preview, by the same rules; /log:FILE keeps the file's spelling.
        {"MorvUninst.exe /LOG /Preview", 0, 0, {}, 1, 1},
        {"MorvUninst.exe /s /log:C:\\Logs\\Run.TXT", 1, 0, {}, 1, 0, "C:\\Logs\\Run.TXT"},
        {"MorvUninst.exe /log: /logfile /previews", 0, 0, {}, 1, 0, ""},
        {"MorvUninst.exe /log/preview", 0, 0, {}, 0, 0},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.commandLine);
        const Scan scan = ScanLine(c.commandLine);
        EXPECT_EQ(scan.switches.silent, c.silent);
        EXPECT_EQ(scan.switches.debug, c.debug);
        EXPECT_EQ(scan.shown, c.shown);
        EXPECT_EQ(scan.switches.log, c.log);
        EXPECT_EQ(scan.switches.preview, c.preview);
        EXPECT_EQ(scan.switches.logPath, c.logPath);
    }
}

TEST(CommandLine, LongArgumentIsCutWithoutOverrunAndScanGoesOnAfterIt)
{
    // 299 characters with a '/' inside the part that is cut off: it is part
    // of the long argument, not an argument of its own.
    std::string longArgument = "/debug" + std::string(150, 'x') + "/s" + std::string(141, 'y');
    ASSERT_EQ(longArgument.size(), 299u);
    const Scan scan = ScanLine("MorvUninst.exe /debug " + longArgument + " /s");

    ASSERT_EQ(scan.shown.size(), 3u);
    EXPECT_EQ(scan.shown[0], "/debug");
    EXPECT_EQ(scan.shown[1], longArgument.substr(0, app::kArgumentBufferSize - 1));
    EXPECT_EQ(scan.shown[2], "/s");
    EXPECT_EQ(scan.switches.silent, 1);
}

TEST(CommandLine, ArgumentOfExactlyTheBufferSizeKeepsItsLastCharacter)
{
    const std::string fits = "/debug" + std::string(249, 'z');  // 255 characters
    const Scan scan = ScanLine("x /debug " + fits);
    ASSERT_EQ(scan.shown.size(), 2u);
    EXPECT_EQ(scan.shown[1], fits);
}

}  // namespace
