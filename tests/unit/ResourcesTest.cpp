// The resources of the built program, read from MorvUninst.exe itself.
#include "machine/Expected.h"
#include "machine/Paths.h"
#include "machine/UiDriver.h"
#include "res/resource.h"
#include "sysops/SystemCalls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace machine;

namespace {

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << ProgramPath();
    }
    void TearDown() override
    {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    std::vector<BYTE> Resource(LPCSTR type, LPCSTR name)
    {
        const HRSRC found = FindResourceA(module_, name, type);
        if (found == nullptr)
            return {};
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
        return std::vector<BYTE>(data, data + SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

// The dialog as Windows builds it from the program's template: what the user
// sees, not how the resource compiler laid it out.
class DialogFromTemplate {
public:
    explicit DialogFromTemplate(const std::vector<BYTE>& data)
    {
        if (sysops::Calls().initCommonControls != nullptr)
            sysops::Calls().initCommonControls();
        if (!data.empty())
            window_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                 reinterpret_cast<const DLGTEMPLATE*>(data.data()), nullptr,
                                                 &Ignore, 0);
    }
    ~DialogFromTemplate()
    {
        if (window_ != nullptr)
            DestroyWindow(window_);
    }
    DialogFromTemplate(const DialogFromTemplate&) = delete;
    DialogFromTemplate& operator=(const DialogFromTemplate&) = delete;

    HWND Get() const { return window_; }

private:
    static INT_PTR CALLBACK Ignore(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
    HWND window_ = nullptr;
};

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Where a control lies in its dialog's client area.
RECT Place(HWND dialog, HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(ProgramResources, DialogShowsItsTitleButtonsBarAndStatusSideBySide)
{
    const DialogFromTemplate dialog(Resource(RT_DIALOG, MAKEINTRESOURCEA(IDD_UNINST_DIALOG)));
    ASSERT_NE(dialog.Get(), nullptr) << "error " << GetLastError();
    EXPECT_EQ(WindowText(dialog.Get()), expected::kDialogTitle);
    const LONG style = GetWindowLongA(dialog.Get(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), static_cast<LONG>(WS_CAPTION | WS_SYSMENU));
    // Its own button on the task bar: the program has no other window.
    EXPECT_NE(GetWindowLongA(dialog.Get(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    const struct {
        int id;
        const char* className;
        const char* text;
    } controls[] = {
        {IDOK, "Button", "OK"},
        {IDCANCEL, "Button", "Cancel"},
        {IDC_PROGRESS, "msctls_progress32", nullptr},
        {IDC_STATUS, "Static", ""},
    };
    RECT client = {};
    GetClientRect(dialog.Get(), &client);
    std::vector<RECT> places;
    for (const auto& control : controls) {
        SCOPED_TRACE(control.id);
        const HWND window = GetDlgItem(dialog.Get(), control.id);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(_stricmp(ClassOf(window).c_str(), control.className), 0) << ClassOf(window);
        if (control.text != nullptr) {
            EXPECT_EQ(WindowText(window), control.text);
        }
        const RECT place = Place(dialog.Get(), window);
        EXPECT_TRUE(place.left >= client.left && place.top >= client.top && place.right <= client.right &&
                    place.bottom <= client.bottom)
            << "outside the dialog";
        for (const RECT& other : places) {
            RECT overlap = {};
            EXPECT_FALSE(IntersectRect(&overlap, &place, &other)) << "on top of another control";
        }
        places.push_back(place);
    }
    // Enter presses OK.
    EXPECT_EQ(LOWORD(SendMessageA(dialog.Get(), DM_GETDEFID, 0, 0)), IDOK);
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(ProgramResources, IconGroupHoldsTwoSixteenColourImages)
{
    const std::vector<BYTE> data = Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_GE(data.size(), 6u);
    WORD header[3];
    std::memcpy(header, data.data(), sizeof header);
    EXPECT_EQ(header[1], 1);  // icons, not cursors
    ASSERT_EQ(header[2], 2);
    ASSERT_EQ(data.size(), 6 + 2 * sizeof(IconGroupEntry));

    const int sizes[] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        IconGroupEntry entry;
        std::memcpy(&entry, data.data() + 6 + i * sizeof entry, sizeof entry);
        EXPECT_EQ(entry.width, sizes[i]);
        EXPECT_EQ(entry.height, sizes[i]);
        EXPECT_EQ(entry.colourCount, 16);
        EXPECT_EQ(entry.bitCount, 4);
        // The image itself: a 4-bit bitmap of that size (height doubled for the mask).
        const std::vector<BYTE> image = Resource(RT_ICON, MAKEINTRESOURCEA(entry.id));
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER bitmap;
        std::memcpy(&bitmap, image.data(), sizeof bitmap);
        EXPECT_EQ(bitmap.biWidth, sizes[i]);
        EXPECT_EQ(bitmap.biHeight, 2 * sizes[i]);
        EXPECT_EQ(bitmap.biBitCount, 4);
    }
}

TEST_F(ProgramResources, ManifestDeclaresNothing)
{
    const std::vector<BYTE> data = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    const std::string manifest(data.begin(), data.end());
    EXPECT_NE(manifest.find("<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"),
              std::string::npos);
    // No dependency (so no common-controls version) and no execution level.
    EXPECT_EQ(manifest.find("dependency"), std::string::npos);
    EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
    EXPECT_EQ(manifest.find("<", manifest.find("manifestVersion")), manifest.find("</assembly>"));
}

TEST_F(ProgramResources, VersionInformationTellsWhatTheFileIs)
{
    const std::string path = ProgramPath();
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(8, 4));
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\FileDescription",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, expected::kFileDescription);
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, expected::kFileVersion);
}

}  // namespace
