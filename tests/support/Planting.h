// Setting the machine up for a test. Each helper says what it could not make
// and why, so that ASSERT_TRUE(...) names the caller's line and stops the
// test there.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// A small file (its folders made first), then given `attributes`.
[[nodiscard]] ::testing::AssertionResult PlantFile(const std::string& path,
                                                   DWORD attributes = FILE_ATTRIBUTE_NORMAL);
[[nodiscard]] ::testing::AssertionResult PlantDirs(const std::string& dir);
[[nodiscard]] ::testing::AssertionResult PlantCopy(const std::string& source, const std::string& path);

// Registry keys and values, as machine::MakeKey and the machine::Set...
// helpers make them.
[[nodiscard]] ::testing::AssertionResult PlantKey(const std::string& key, REGSAM view = 0,
                                                  HKEY root = HKEY_LOCAL_MACHINE);
[[nodiscard]] ::testing::AssertionResult PlantString(const std::string& key, const char* name,
                                                     const std::string& data, REGSAM view = 0);
[[nodiscard]] ::testing::AssertionResult PlantDword(const std::string& key, const char* name, DWORD data,
                                                    REGSAM view = 0);
[[nodiscard]] ::testing::AssertionResult PlantStrings(const std::string& key, const char* name,
                                                      const std::vector<std::string>& strings, REGSAM view = 0);

// A machine helper's result: `done`, or what was tried and the Windows
// error code the helper left (read at once, before anything else can change it).
::testing::AssertionResult Checked(bool done, DWORD error, const std::string& tried);

}  // namespace testing_support
