// Sits still until it is killed, so that the tests have processes of their
// own to end by image name. Copies of it run under the names the uninstaller
// ends.
//   idlewait [--load PATH] [MILLISECONDS]
//   idlewait --send WINDOW
// --load maps another module (any executable will do) into the process, as
// a program's own libraries are. Without a kill it leaves after MILLISECONDS
// (two minutes by default) with exit status 7; a failed --load leaves at
// once with status 9. Killed by the program under test, it leaves with 0.
// --send sends WM_APP to the window WINDOW (its handle as a decimal number),
// as a program that broadcasts does, and leaves with what the window's
// procedure returned, once it has.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kTimedOut = 7;
constexpr int kLoadFailed = 9;
constexpr DWORD kDefaultWaitMs = 120000;

}  // namespace

int main(int argc, char** argv)
{
    DWORD waitMs = kDefaultWaitMs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--send") == 0 && i + 1 < argc) {
            const auto window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(argv[++i], nullptr, 10)));
            return static_cast<int>(SendMessageA(window, WM_APP, 0, 0));
        }
        if (std::strcmp(argv[i], "--load") == 0 && i + 1 < argc) {
            // Loaded as an image without running it, like a library.
            if (LoadLibraryExA(argv[++i], nullptr, DONT_RESOLVE_DLL_REFERENCES) == nullptr)
                return kLoadFailed;
        } else {
            waitMs = static_cast<DWORD>(std::strtoul(argv[i], nullptr, 10));
        }
    }
    Sleep(waitMs);
    return kTimedOut;
}
