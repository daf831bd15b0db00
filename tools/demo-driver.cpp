// Plays the user for the demonstration, and reports what a deployment tool
// would see.
//   demo-driver PROGRAM [ARGS...]             starts the program, waits for it,
//                                             prints its exit status
//   demo-driver --auto SHOT.bmp PROGRAM [...]  the same, and meanwhile: waits
//                                             for the dialog, saves a picture
//                                             of it, presses OK and answers
//                                             every box, printing each one
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kTitle[] = "Morvane Uninstallation (Ver 4.8)";
constexpr DWORD kPollMs = 50;
constexpr int kPolls = 1200;  // one minute

struct Search {
    DWORD pid;
    bool wantDialog;  // the main dialog, or else a message box
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (pid != search->pid || !IsWindowVisible(window) || std::strcmp(className, "#32770") != 0)
        return TRUE;
    char title[128] = {};
    GetWindowTextA(window, title, sizeof title);
    const bool isDialog = std::strcmp(title, kTitle) == 0 && GetDlgItem(window, 1003) != nullptr;
    if (isDialog == search->wantDialog && (isDialog || GetDlgItem(window, 0xFFFF) != nullptr)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND Find(DWORD pid, bool wantDialog)
{
    Search search = {pid, wantDialog, nullptr};
    EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The screen under the window, as a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const char* path)
{
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    const DWORD imageSize = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    bool saved = false;
    if (FILE* out = std::fopen(path, "wb")) {
        saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                std::fwrite(bits, imageSize, 1, out) == 1;
        std::fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

void AnswerBox(HWND box)
{
    char caption[256] = {};
    char text[1024] = {};
    GetWindowTextA(box, caption, sizeof caption);
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    std::string shown = text;
    for (std::size_t i = 0; (i = shown.find('\n', i)) != std::string::npos;)
        shown.replace(i, 1, "\\n");
    std::printf("  box \"%s\": %s\n", caption, shown.c_str());
    std::fflush(stdout);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < kPolls && IsWindow(box) && IsWindowVisible(box); ++i)
        Sleep(kPollMs);
}

// Works the program like a user until it ends.
void PlayUser(const PROCESS_INFORMATION& process, const char* picture)
{
    HWND dialog = nullptr;
    for (int i = 0; i < kPolls && dialog == nullptr; ++i) {
        if (WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0)
            return;
        if (const HWND box = Find(process.dwProcessId, false))
            AnswerBox(box);
        dialog = Find(process.dwProcessId, true);
    }
    if (dialog == nullptr)
        return;
    Sleep(500);  // let it paint
    if (SaveWindowPicture(dialog, picture))
        std::printf("  dialog on screen, picture saved\n");
    std::printf("  pressing OK\n");
    std::fflush(stdout);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    while (WaitForSingleObject(process.hProcess, kPollMs) == WAIT_TIMEOUT) {
        if (const HWND box = Find(process.dwProcessId, false))
            AnswerBox(box);
    }
}

std::string Quote(const char* argument)
{
    return std::strchr(argument, ' ') != nullptr ? "\"" + std::string(argument) + "\"" : argument;
}

}  // namespace

int main(int argc, char** argv)
{
    int first = 1;
    const char* picture = nullptr;
    if (argc > 3 && std::strcmp(argv[1], "--auto") == 0) {
        picture = argv[2];
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: demo-driver [--auto SHOT.bmp] PROGRAM [ARGS...]\n");
        return 2;
    }
    std::string commandLine = Quote(argv[first]);
    for (int i = first + 1; i < argc; ++i)
        commandLine += " " + Quote(argv[i]);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
        return 2;
    }
    if (picture != nullptr)
        PlayUser(process, picture);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    std::printf("exit status %lu\n", status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status == 3010 ? 0 : 1;
}
