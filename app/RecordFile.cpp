#include "app/RecordFile.h"

#include "sysops/PathText.h"
#include "sysops/Probes.h"
#include "sysops/SystemInfo.h"

namespace app {
namespace {

constexpr char kProgramVersion[] = "4.8";

std::string RecordPath(const Switches& switches)
{
    if (!switches.logPath.empty())
        return switches.logPath;
    std::string path;
    const std::string temp = sysops::TempDirectory();
    if (temp.empty() || !sysops::JoinPath(temp, kDefaultRecordName, path))
        return kDefaultRecordName;
    return path;
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

void RecordFile::WriteLine(const std::string& line)
{
    file_.WriteLine(line);
}

void WriteHeader(uninstall::RunRecord& record, const Switches& switches)
{
    const int osClass = sysops::GetOsClass();
    std::string arguments;
    for (const std::string& argument : switches.arguments)
        arguments += (arguments.empty() ? "" : " ") + argument;
    record.Note("run", sysops::LocalTimestamp() + " on " + sysops::ComputerName());
    record.Note("program", std::string("MorvUninst ") + kProgramVersion + ", " + sysops::ProgramPath());
    record.Note("windows", "class " + std::to_string(osClass) + " (" + WindowsName(osClass) + "), " +
                               (sysops::Is64BitWindows() == 1 ? "64-bit" : "32-bit"));
    record.Note("switches", arguments.empty() ? std::string("(none)") : arguments);
    record.Note("mode", switches.preview ? "preview: nothing is changed" : "removal");
}

}  // namespace app
