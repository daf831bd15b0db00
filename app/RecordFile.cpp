#include "app/RecordFile.h"

#include "sysops/Ownership.h"
#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/SystemFolders.h"
#include "sysops/SystemInfo.h"
#include "res/Version.h"

namespace app {
namespace {

// SYSTEM's temporary folder is one every user may create files in;
// "<Windows>\Logs" (Vista and later) lets only administrators do so.
std::string DefaultRecordFolder()
{
    std::string windows;
    std::string logs;
    if (!sysops::RunsAsSystem() || !sysops::ReadWindowsDirectory(windows))
        return sysops::TempDirectory();
    if (sysops::JoinPath(windows, "Logs", logs) && sysops::FileExists(logs.c_str(), ".") == 1)
        return logs;
    std::string temp;
    sysops::JoinPath(windows, "Temp", temp);
    return temp;
}

// Empty when no folder for the default record is known: never a file in
// whatever the current directory is.
std::string RecordPath(const Switches& switches)
{
    if (!switches.logPath.empty())
        return switches.logPath;
    std::string path;
    const std::string folder = DefaultRecordFolder();
    if (folder.empty() || !sysops::JoinPath(folder, kDefaultRecordName, path))
        return std::string();
    return path;
}

// "2026-12-09 22:15:00" as a file name takes it: "20261209-221500".
std::string FileStamp()
{
    std::string stamp;
    for (const char c : sysops::LocalTimestamp()) {
        if (c == ' ')
            stamp.push_back('-');
        else if (c >= '0' && c <= '9')
            stamp.push_back(c);
    }
    return stamp;
}

const char* WindowsName(int osClass)
{
    switch (osClass) {
    case sysops::OSCLASS_WIN95: return "Windows 95";
    case sysops::OSCLASS_WIN98: return "Windows 98";
    case sysops::OSCLASS_WINME: return "Windows Me";
    case sysops::OSCLASS_NT4: return "Windows NT 4";
    case sysops::OSCLASS_WIN2000: return "Windows 2000";
    case sysops::OSCLASS_WINXP: return "Windows XP";
    case sysops::OSCLASS_WIN2003: return "Windows Server 2003 or XP x64";
    case sysops::OSCLASS_VISTA: return "Windows Vista";
    case sysops::OSCLASS_WIN2008: return "Windows Server 2008";
    case sysops::OSCLASS_WIN2008R2: return "Windows Server 2008 R2";
    case sysops::OSCLASS_WIN7: return "Windows 7";
    case sysops::OSCLASS_WIN8: return "Windows 8 or later";
    default: return "unknown Windows";
    }
}

}  // namespace

RecordFile::RecordFile(const Switches& switches) : path_(RecordPath(switches))
{
}

bool RecordFile::Open()
{
    if (path_.empty() || !file_.Open(path_, FileStamp()))
        return false;
    if (file_.Refused() != sysops::Refusal::None)
        WriteLine("record       " + path_ + " was not written to (" + sysops::RefusalText(file_.Refused()) +
                  "): this record is " + file_.Path());
    return true;
}

void RecordFile::WriteLine(const std::string& line)
{
    file_.WriteLine(EscapeControls(line));
}

std::string EscapeControls(const std::string& text)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            escaped.push_back(c);
            continue;
        }
        escaped += '<';
        escaped += kDigits[byte >> 4];
        escaped += kDigits[byte & 0xF];
        escaped += '>';
    }
    return escaped;
}

void WriteHeader(uninstall::RunRecord& record, const Switches& switches)
{
    const int osClass = sysops::GetOsClass();
    std::string arguments;
    for (const std::string& argument : switches.arguments)
        arguments += (arguments.empty() ? "" : " ") + argument;
    record.Note("run", sysops::LocalTimestamp() + " on " + sysops::ComputerName());
    record.Note("program", std::string(MORV_PROGRAM_NAME " " MORV_VERSION_TEXT ", ") + sysops::ProgramPath());
    record.Note("windows", "class " + std::to_string(osClass) + " (" + WindowsName(osClass) + "), " +
                               (sysops::Is64BitWindows() ? "64-bit" : "32-bit"));
    record.Note("switches", arguments.empty() ? std::string("(none)") : arguments);
    record.Note("mode", switches.preview ? "preview: nothing is changed" : "removal");
}

}  // namespace app
