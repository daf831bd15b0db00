#include "machine/Unix.h"

#include "machine/Child.h"
#include "machine/Files.h"
#include "sysops/SystemLibrary.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace machine {
namespace {

// One argument of a Unix program's command line, as Wine splits it.
std::string Argument(const std::string& text)
{
    return "\"" + text + "\"";
}

// A text as a single-quoted word of a Unix shell's script.
std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

bool IsWine()
{
    return sysops::LookUpLoaded<void (*)()>("ntdll.dll", "wine_get_version") != nullptr;
}

std::string UnixPath(const std::string& windowsPath)
{
    using UnixNameFn = char*(CDECL*)(const WCHAR*);
    const auto unixName = sysops::LookUpLoaded<UnixNameFn>("kernel32.dll", "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (unixName == nullptr || MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH) == 0)
        return std::string();
    char* name = unixName(wide);
    if (name == nullptr)
        return std::string();
    const std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

std::string DosDevicesDir()
{
    const std::string drive = UnixPath("C:\\");
    const std::size_t at = drive.find("/dosdevices/");
    if (at == std::string::npos)
        return std::string();
    std::string dir = "Z:" + drive.substr(0, at + std::strlen("/dosdevices"));
    for (char& c : dir) {
        if (c == '/')
            c = '\\';
    }
    return dir;
}

bool RunUnix(const std::string& dir, const std::string& arguments, const char* program)
{
    const std::string exe = std::string("Z:\\bin\\") + program;
    if (!Exists(exe))
        return false;
    Child unix(Launch{exe + " " + arguments, dir, {}, StandardHandles::Shared});
    unix.ExitCode(std::chrono::seconds(10));
    return unix.Started();
}

bool WaitForPath(const std::string& path, bool present)
{
    return PollUntil(std::chrono::seconds(5), [&] { return Exists(path) == present; });
}

bool MakeUnixLink(const std::string& dir, const char* name, const std::string& target)
{
    const std::string link = UnixPath(dir + "\\" + name);
    return !link.empty() && RunUnix(dir, "-s " + Argument(target) + " " + Argument(link), "ln") &&
           WaitForPath(dir + "\\" + name, true);
}

void RemoveUnixLink(const std::string& dir, const char* name)
{
    const std::string link = UnixPath(dir + "\\" + name);
    if (!link.empty())
        RunUnix(dir, "-f " + Argument(link), "rm");
    WaitForPath(dir + "\\" + name, false);
}

int RunWithFileTrace(const std::string& program, const std::string& arguments, const std::string& traceFile,
                     TimeOut timeOut)
{
    const std::string status = traceFile + ".status";
    DeleteFileA(status.c_str());
    const std::string unixTrace = UnixPath(traceFile);
    const std::string unixStatus = UnixPath(status);
    if (unixTrace.empty() || unixStatus.empty())
        return -1;
    // A Unix program started by Wine gets no process handle: the shell leaves
    // the status in a file.
    std::string words;
    for (std::size_t at = 0; at < arguments.size();) {
        std::size_t blank = arguments.find(' ', at);
        if (blank == std::string::npos)
            blank = arguments.size();
        if (blank > at)
            words += " " + Quoted(arguments.substr(at, blank - at));
        at = blank + 1;
    }
    const std::string script = "WINEDEBUG=trace+file wine " + Quoted(program) + words + " 2> " + Quoted(unixTrace) +
                               "; echo $? > " + Quoted(unixStatus);
    if (!RunUnix(FolderOf(traceFile), "-c \"" + script + "\"", "sh") ||
        !PollUntil(timeOut, [&] { return !ReadText(status).empty(); }, 200))
        return -1;
    return std::atoi(ReadText(status).c_str());
}

}  // namespace machine
