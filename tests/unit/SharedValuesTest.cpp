#include "sysops/SharedValues.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr char kKey[] = "Software\\TQM\\SharedValuesTest";

void SetMultiString(const std::vector<std::string>& entries)
{
    std::string data;
    for (const std::string& entry : entries)
        data.append(entry).push_back('\0');
    data.push_back('\0');
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | kView32, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "UpperFilters", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

// The entries of the value, or {"<none>"} when it is gone.
std::vector<std::string> MultiString()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ | kView32, &key) != ERROR_SUCCESS)
        return {"<no key>"};
    char data[1024] = {};
    DWORD size = sizeof data - 2;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(key, "UpperFilters", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return {"<none>"};
    std::vector<std::string> entries;
    for (const char* entry = data; *entry != '\0'; entry += entries.back().size() + 1)
        entries.emplace_back(entry);
    return entries;
}

TEST(SharedValues, FilterListLosesOnlyTheProductsEntry)
{
    const ScopedRegKey scratch(kKey, kView32);
    const std::vector<std::string> none = {"<none>"};

    SetMultiString({"OtherFilter", "tqscfilter", "Third"});
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", 0);
    EXPECT_EQ(MultiString(), (std::vector<std::string>{"OtherFilter", "Third"}));

    // Gone only when nothing is left.
    SetMultiString({"TqScFilter", "TQSCFILTER"});
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", 0);
    EXPECT_EQ(MultiString(), none);

    // Not ours at all: untouched; a name that merely contains ours is not ours.
    SetMultiString({"OtherFilter", "TqScFilterPlus"});
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", 0);
    EXPECT_EQ(MultiString(), (std::vector<std::string>{"OtherFilter", "TqScFilterPlus"}));

    // A single-string value naming only us goes; missing value or key: nothing happens.
    RegSetString(kKey, "UpperFilters", "TqScFilter", kView32);
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", 0);
    EXPECT_FALSE(RegValueExists(kKey, "UpperFilters", kView32));
    sysops::RemoveListEntry(kKey, "UpperFilters", "TqScFilter", 0);
    sysops::RemoveListEntry("Software\\TQM\\NoSuchKey", "UpperFilters", "TqScFilter", 0);
    EXPECT_FALSE(RegKeyExists("Software\\TQM\\NoSuchKey", kView32));
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
        RegSetString(kKey, "GinaDLL", c.gina, kView32);
        RegSetString(kKey, "Shell", "explorer.exe", kView32);
        sysops::DeleteValueNamingFile(kKey, "GinaDLL", "tqspegina.dll", 0);
        EXPECT_EQ(RegValueExists(kKey, "GinaDLL", kView32), !c.deleted) << c.gina;
        EXPECT_TRUE(RegValueExists(kKey, "Shell", kView32));
    }
}

}  // namespace
