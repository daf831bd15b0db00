// Plays the user for the demonstration, and reports what a deployment tool
// would see.
//   demo-driver PROGRAM [ARGS...]             starts the program, waits for it,
//                                             prints its exit status
//   demo-driver --auto SHOT.bmp PROGRAM [...]  the same, and meanwhile: waits
//                                             for the dialog, saves a picture
//                                             of it, presses OK and answers
//                                             every box, printing each one
#include "machine/UiDriver.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using machine::BoxInfo;
using machine::ProgramUnderTest;

constexpr DWORD kLookEveryMs = 50;
constexpr machine::TimeOut kDialogWait = std::chrono::minutes(1);

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

void Print(const BoxInfo& box)
{
    std::string shown = box.text;
    for (std::size_t i = 0; (i = shown.find('\n', i)) != std::string::npos;)
        shown.replace(i, 1, "\\n");
    std::printf("  box \"%s\": %s\n", box.caption.c_str(), shown.c_str());
    std::fflush(stdout);
}

// Works the program like a user until it ends.
void PlayUser(ProgramUnderTest& program, const char* picture)
{
    HWND dialog = nullptr;
    machine::PollUntil(kDialogWait, [&] {
        BoxInfo box;
        if (program.FindBox(box)) {
            Print(box);
            ProgramUnderTest::PressOk(box);
        }
        dialog = program.FindDialog();
        return dialog != nullptr || !program.Running();
    }, kLookEveryMs);
    if (dialog == nullptr)
        return;
    Sleep(500);  // let it paint
    if (SaveWindowPicture(dialog, picture))
        std::printf("  dialog on screen, picture saved\n");
    std::printf("  pressing OK\n");
    std::fflush(stdout);
    ProgramUnderTest::Click(dialog, IDOK);
    for (const BoxInfo& box : program.AnswerBoxesUntilExit(machine::TimeOut::max()))
        Print(box);
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
    std::string arguments;
    for (int i = first + 1; i < argc; ++i)
        arguments += (arguments.empty() ? "" : " ") + Quote(argv[i]);

    ProgramUnderTest program(argv[first], arguments);
    if (!program.Started()) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", argv[first], program.StartError());
        return 2;
    }
    if (picture != nullptr)
        PlayUser(program, picture);
    const DWORD status = static_cast<DWORD>(program.WaitForExit(machine::TimeOut::max()));
    std::printf("exit status %lu\n", status);
    return status == 3010 ? 0 : 1;
}
