// A Win32 service of our own for the service tests. It appends every control
// it receives to a log file, so that a test can tell exactly what reached it.
//   morvsvc LOGPATH [STOPDELAYMS [HOLDPATH]]     (the service's command line)
// The start argument (StartServiceA) "hold-start-pending" keeps it start
// pending, accepting stop; without it, it runs and accepts stop, pause and
// continue. Control 128 (kHoldStopPending) moves it to stop pending for
// good, accepting nothing: only killing its process ends it then. (A
// service cannot start in that state: the manager ends one whose first
// report is neither start pending nor running.)
// A stop control moves it to stop pending at once and to stopped
// STOPDELAYMS later, so that a caller that waited for the stop would show.
// HOLDPATH is a file the process keeps open, not to be deleted, until it
// exits, as a service holds its own files.
// Log lines: "start <argument>", "control <code>", "stopped".
#include "machine/AppendLine.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A service left behind by a broken test ends by itself after this long.
constexpr DWORD kLifetimeMs = 5 * 60 * 1000;
constexpr DWORD kRunningControls = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;
constexpr DWORD kHoldStopPending = 128;

const char* g_logPath = "";
DWORD g_stopDelayMs = 0;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopRequested = nullptr;

void Log(const char* line)
{
    machine::AppendLine(g_logPath, line);
}

void Report(DWORD state, DWORD controlsAccepted)
{
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = controlsAccepted;
    status.dwWin32ExitCode = NO_ERROR;
    status.dwWaitHint = state == SERVICE_STOP_PENDING || state == SERVICE_START_PENDING ? 30000 : 0;
    SetServiceStatus(g_statusHandle, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*)
{
    char line[32];
    std::snprintf(line, sizeof line, "control %lu", static_cast<unsigned long>(control));
    Log(line);
    switch (control) {
    case SERVICE_CONTROL_STOP:
        Report(SERVICE_STOP_PENDING, 0);
        SetEvent(g_stopRequested);
        return NO_ERROR;
    case SERVICE_CONTROL_PAUSE:
        Report(SERVICE_PAUSED, kRunningControls);
        return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
        Report(SERVICE_RUNNING, kRunningControls);
        return NO_ERROR;
    case kHoldStopPending:
        Report(SERVICE_STOP_PENDING, 0);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD argc, char** argv)
{
    g_statusHandle = RegisterServiceCtrlHandlerExA(argv[0], Handler, nullptr);
    if (g_statusHandle == nullptr)
        return;
    const char* hold = argc > 1 ? argv[1] : "";
    char line[64];
    std::snprintf(line, sizeof line, "start %s", hold);
    Log(line);
    if (std::strcmp(hold, "hold-start-pending") == 0)
        Report(SERVICE_START_PENDING, SERVICE_ACCEPT_STOP);
    else
        Report(SERVICE_RUNNING, kRunningControls);
    WaitForSingleObject(g_stopRequested, kLifetimeMs);
    Sleep(g_stopDelayMs);
    Log("stopped");
    Report(SERVICE_STOPPED, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    g_logPath = argv[1];
    g_stopDelayMs = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 0;
    // Closed by the system when the process ends, not before.
    if (argc > 3 && CreateFileA(argv[3], GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr) == INVALID_HANDLE_VALUE)
        return 3;
    g_stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // An own-process service: the dispatcher ignores the name.
    char name[] = "";
    SERVICE_TABLE_ENTRYA services[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(services) ? 0 : 1;
}
