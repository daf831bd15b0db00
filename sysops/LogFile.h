// A text file a record is appended to, line by line.
#pragma once

#include "sysops/Handles.h"

#include <string>

namespace sysops {

class LogFile {
public:
    // Opens `path` for appending, creating it when missing; false when it
    // cannot be opened (the file is then not written).
    bool Open(const std::string& path);
    bool IsOpen() const { return file_.IsValid(); }

    // Appends `line` and a CRLF at the file's end, as it is then.
    void WriteLine(const std::string& line);

private:
    UniqueFile file_;
};

}  // namespace sysops
