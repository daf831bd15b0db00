#include "sysops/SharedValues.h"

#include "machine/Registry.h"
#include "machine/Views.h"
#include "support/Planting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace machine;
using namespace testing_support;

namespace {

// The tests' own key, away from the product's vendor key.
constexpr char kKey[] = "Software\\MorvUninstTest\\SharedValues";

// The entries of the value, or {"<none>"} when it is gone.
std::vector<std::string> MultiString()
{
    std::vector<std::string> entries;
    if (!ReadStrings(kKey, "UpperFilters", kView32, entries))
        return {"<none>"};
    return entries;
}

bool SetRaw(const std::string& data)
{
    const sysops::UniqueRegKey key = MakeKey(kKey, kView32);
    return key && RegSetValueExA(key.Get(), "UpperFilters", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

// The value's bytes exactly as stored.
std::string RawValue()
{
    for (const Value& value : Values(kKey, kView32)) {
        if (value.name == "UpperFilters")
            return value.data;
    }
    return "<none>";
}

// The same in the registry's own width, as other software writes it.
bool SetRawWide(const std::wstring& data)
{
    const sysops::UniqueRegKey key = MakeKey(kKey, kView32);
    return key && RegSetValueExW(key.Get(), L"UpperFilters", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring RawWideValue()
{
    const sysops::UniqueRegKey key = OpenKey(kKey, KEY_QUERY_VALUE, kView32);
    wchar_t data[256] = {};
    DWORD size = sizeof data;
    if (!key || RegQueryValueExW(key.Get(), L"UpperFilters", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
                    ERROR_SUCCESS)
        return L"<none>";
    return std::wstring(data, size / sizeof(wchar_t));
}

TEST(SharedValues, FilterListLosesOnlyTheProductsEntry)
{
    const ScopedRegKey scratch(kKey, kView32);
    const std::vector<std::string> none = {"<none>"};

    ASSERT_TRUE(PlantStrings(kKey, "UpperFilters", {"OtherFilter", "tqscfilter", "Third"}, kView32));
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", RunView(0));
    EXPECT_EQ(MultiString(), (std::vector<std::string>{"OtherFilter", "Third"}));

    // Gone only when nothing is left.
    ASSERT_TRUE(PlantStrings(kKey, "UpperFilters", {"TqScFilter", "TQSCFILTER"}, kView32));
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", RunView(0));
    EXPECT_EQ(MultiString(), none);

    // Not ours at all: untouched; a name that merely contains ours is not ours.
    ASSERT_TRUE(PlantStrings(kKey, "UpperFilters", {"OtherFilter", "TqScFilterPlus"}, kView32));
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", RunView(0));
    EXPECT_EQ(MultiString(), (std::vector<std::string>{"OtherFilter", "TqScFilterPlus"}));

    // Every other byte stays as it was: an empty entry, what follows it, and
    // the terminators as the list had them.
    const char before[] = "First\0TqScFilter\0\0After\0\0";
    const char after[] = "First\0\0After\0\0";
    ASSERT_TRUE(SetRaw(std::string(before, sizeof before - 1)));
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", RunView(0));
    EXPECT_EQ(RawValue(), std::string(after, sizeof after - 1));

    // Others' entries in letters the code page lacks keep every one of
    // them; a look-alike of ours (a fullwidth r) is not ours.
    const wchar_t wideBefore[] = L"\x4E00\x4E01\0TqScFilter\0TqScFilte\xFF52\0";
    const wchar_t wideAfter[] = L"\x4E00\x4E01\0TqScFilte\xFF52\0";
    ASSERT_TRUE(SetRawWide(std::wstring(wideBefore, sizeof wideBefore / sizeof(wchar_t) - 1)));
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", RunView(0));
    EXPECT_TRUE(RawWideValue() == std::wstring(wideAfter, sizeof wideAfter / sizeof(wchar_t) - 1));

    // A single-string value naming only us goes; missing value or key: nothing happens.
    ASSERT_TRUE(PlantString(kKey, "UpperFilters", "TqScFilter", kView32));
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", RunView(0));
    EXPECT_FALSE(ValueExists(kKey, "UpperFilters", kView32));
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", RunView(0));
    sysops::RemoveListEntry("Software\\MorvUninstTest\\NoSuchKey", "UpperFilters", "TqScFilter", RunView(0));
    EXPECT_FALSE(KeyExists("Software\\MorvUninstTest\\NoSuchKey", kView32));
}

TEST(SharedValues, LogonLibraryGoesOnlyWhenItIsTheProducts)
{
    const ScopedRegKey scratch(kKey, kView32);
    const struct {
        const char* gina;
        bool deleted;
    } cases[] = {
        {"tqspegina.dll", true},
        {"TQSPEGINA.DLL", true},
        {"C:\\Windows\\system32\\tqspegina.dll", true},
        {"\"C:\\Program Files\\TQM\\TqSpeGina.dll\"", true},
        {"msgina.dll", false},
        {"C:\\Other\\othergina.dll", false},
        {"C:\\tqspegina.dll\\other.dll", false},
        {"tqspegina.dll.bak", false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(PlantString(kKey, "GinaDLL", c.gina, kView32));
        ASSERT_TRUE(PlantString(kKey, "Shell", "explorer.exe", kView32));
        sysops::DeleteValueNamingFile(kKey, "GinaDLL", "tqspegina.dll", RunView(0));
        EXPECT_EQ(ValueExists(kKey, "GinaDLL", kView32), !c.deleted) << c.gina;
        EXPECT_TRUE(ValueExists(kKey, "Shell", kView32));
    }
}

}  // namespace
