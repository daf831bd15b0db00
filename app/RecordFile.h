// The record of a run as a file (/log, /preview): appended to, one line per
// fact, in the system's ANSI code page with CRLF line ends. Text from the
// machine (paths, names, values) has its control characters escaped, so
// that nothing it holds can start a line of its own.
#pragma once

#include "app/CommandLine.h"
#include "res/Version.h"
#include "sysops/LogFile.h"
#include "uninstall/Record.h"

#include <string>

namespace app {

// Where /log writes without a file named: MorvUninst.log in the user's
// temporary folder; for SYSTEM in "<Windows>\Logs" where it exists, else in
// "<Windows>\Temp".
constexpr char kDefaultRecordName[] = MORV_PROGRAM_NAME ".log";

class RecordFile : public uninstall::RecordSink {
public:
    // The file the switches name, or the default one.
    explicit RecordFile(const Switches& switches);

    // False when it cannot be opened, or no folder for it is known: it is
    // then simply not written. A file somebody else prepared is not written
    // to: the record goes to a new file beside it, and its first line says so.
    bool Open();
    bool IsOpen() const { return file_.IsOpen(); }
    // The file written to; the one asked for until opened, empty when there is none.
    const std::string& Path() const { return file_.IsOpen() ? file_.Path() : path_; }
    void WriteLine(const std::string& line) override;

private:
    std::string path_;
    sysops::LogFile file_;
};

// `text` with every control character written as "<0D>": one line stays one line.
std::string EscapeControls(const std::string& text);

// The record's first lines: when and where, which program, which Windows,
// which switches, and whether anything will be changed.
void WriteHeader(uninstall::RunRecord& record, const Switches& switches);

}  // namespace app
