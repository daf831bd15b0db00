// The record of a run as a file (/log, /preview): appended to, one line per
// fact, in the system's ANSI code page with CRLF line ends.
#pragma once

#include "app/CommandLine.h"
#include "sysops/LogFile.h"
#include "uninstall/Record.h"

#include <string>

namespace app {

// Where /log writes without a file named: MorvUninst.log in the temporary folder.
constexpr char kDefaultRecordName[] = "MorvUninst.log";

class RecordFile : public uninstall::RecordSink {
public:
    // The file the switches name, or the default one.
    explicit RecordFile(const Switches& switches);

    // False when it cannot be opened: it is then simply not written.
    bool Open() { return file_.Open(path_); }
    bool IsOpen() const { return file_.IsOpen(); }
    const std::string& Path() const { return path_; }
    void WriteLine(const std::string& line) override;

private:
    std::string path_;
    sysops::LogFile file_;
};

// The record's first lines: when and where, which program, which Windows,
// which switches, and whether anything will be changed.
void WriteHeader(uninstall::RunRecord& record, const Switches& switches);

}  // namespace app
