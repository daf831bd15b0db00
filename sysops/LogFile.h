// A text file a record is appended to, line by line. The program may run as
// SYSTEM and write where ordinary users may create files: a file somebody
// else prepared there (a link to another file, a second name of one, a file
// of their own that they could read or rewrite) is never written to.
#pragma once

#include "sysops/Handles.h"

#include <string>

namespace sysops {

// Why an existing file was not written to.
enum class Refusal {
    None,
    Link,         // it is a symbolic link or junction
    HardLinked,   // it has more than one name
    OthersFile,   // it belongs to an account other than administrators, SYSTEM or this one
    Unopenable,   // it is there but cannot be opened for writing (in use, or denied)
};

class LogFile {
public:
    // Opens `path` for appending, as itself (never through a link), creating
    // it when missing. An existing file that Refusal names is not written
    // to: a new file beside it is, with the date and time `stamp`
    // ("20261209-221500") added to its name, and Path() then names that one.
    // False when neither can be opened (nothing is then written).
    bool Open(const std::string& path, const std::string& stamp);
    bool IsOpen() const { return file_.IsValid(); }
    const std::string& Path() const { return path_; }
    // Why the file asked for was not written to (Refusal::None when it was).
    Refusal Refused() const { return refused_; }

    // Appends `line` and a CRLF at the file's end, as it is then.
    void WriteLine(const std::string& line);

private:
    UniqueFile file_;
    std::string path_;
    Refusal refused_ = Refusal::None;
};

// "a link", "a file with more than one name", "another account's file".
const char* RefusalText(Refusal refusal);

}  // namespace sysops
