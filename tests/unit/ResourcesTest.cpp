// The resources of the built program, read from MorvUninst.exe itself.
#include "app/MorvUninstDlg.h"
#include "machine/Expected.h"
#include "machine/Paths.h"
#include "res/resource.h"

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

// Reads a dialog template front to back.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<BYTE>& data) : data_(data) {}

    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return Read<short>(); }
    BYTE Byte() { return Read<BYTE>(); }
    void AlignDword() { pos_ = (pos_ + 3) & ~static_cast<std::size_t>(3); }

    // A string, or an ordinal written as "#<number>".
    std::string StringOrOrdinal()
    {
        if (Peek() == 0xFFFF) {
            Word();
            return "#" + std::to_string(Word());
        }
        return String();
    }

    std::string String()
    {
        std::string text;
        for (WORD c = Word(); c != 0; c = Word())
            text.push_back(static_cast<char>(c));
        return text;
    }

private:
    template <typename T>
    T Read()
    {
        T value{};
        if (pos_ + sizeof(T) <= data_.size())
            std::memcpy(&value, &data_[pos_], sizeof(T));
        pos_ += sizeof(T);
        return value;
    }
    WORD Peek()
    {
        WORD value = Read<WORD>();
        pos_ -= sizeof(WORD);
        return value;
    }

    const std::vector<BYTE>& data_;
    std::size_t pos_ = 0;
};

struct Control {
    DWORD id;
    std::string className;
    std::string text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
    DWORD helpId;
};

TEST_F(ProgramResources, DialogTemplate)
{
    const std::vector<BYTE> data = Resource(RT_DIALOG, MAKEINTRESOURCEA(IDD_UNINST_DIALOG));
    ASSERT_FALSE(data.empty());
    TemplateReader r(data);
    EXPECT_EQ(r.Word(), 1);       // extended template
    EXPECT_EQ(r.Word(), 0xFFFF);
    EXPECT_EQ(r.Dword(), 0u);     // help id
    EXPECT_EQ(r.Dword(), static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(r.Dword(), 0x90C800C0u);
    const WORD count = r.Word();
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 301);
    EXPECT_EQ(r.Short(), 53);
    EXPECT_EQ(r.StringOrOrdinal(), "");  // no menu
    EXPECT_EQ(r.StringOrOrdinal(), "");  // the standard dialog class
    EXPECT_EQ(r.String(), expected::kDialogTitle);
    EXPECT_EQ(r.Word(), 8);              // points
    EXPECT_EQ(r.Word(), 0);              // weight
    EXPECT_EQ(r.Byte(), 0);              // italic
    EXPECT_EQ(r.Byte(), DEFAULT_CHARSET);
    EXPECT_EQ(r.String(), "MS Sans Serif");

    const Control expected[] = {
        {IDOK, "#128", "OK", 244, 7, 50, 14, 0x50010001, 0, 0},
        {IDCANCEL, "#128", "Cancel", 244, 25, 50, 14, 0x50010000, 0, 0},
        // The resource compiler stores this class name in upper case;
        // window classes are matched without regard to case.
        {IDC_PROGRESS, "MSCTLS_PROGRESS32", "Progress1", 20, 25, 206, 14, 0x50800000, 0, 0},
        {IDC_STATUS, "#130", "", 20, 11, 165, 10, 0x50020000, 0, 0},
    };
    ASSERT_EQ(count, 4);
    for (const Control& want : expected) {
        SCOPED_TRACE(want.id);
        r.AlignDword();
        EXPECT_EQ(r.Dword(), want.helpId);
        EXPECT_EQ(r.Dword(), want.exStyle);
        EXPECT_EQ(r.Dword(), want.style);
        EXPECT_EQ(r.Short(), want.x);
        EXPECT_EQ(r.Short(), want.y);
        EXPECT_EQ(r.Short(), want.cx);
        EXPECT_EQ(r.Short(), want.cy);
        EXPECT_EQ(r.Dword(), want.id);
        EXPECT_EQ(r.StringOrOrdinal(), want.className);
        EXPECT_EQ(r.StringOrOrdinal(), want.text);
        EXPECT_EQ(r.Word(), 0);  // no creation data
    }
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

TEST(Dialog, MinimisedIconIsCentredRoundingTowardZero)
{
    EXPECT_EQ(IconOrigin(36, 32), 2);
    EXPECT_EQ(IconOrigin(37, 32), 3);
    EXPECT_EQ(IconOrigin(30, 32), 0);  // -1 / 2 rounds toward zero
    EXPECT_EQ(IconOrigin(28, 32), -1);
}

}  // namespace
