#include "support/Planting.h"

#include "machine/Files.h"
#include "machine/Registry.h"
#include "machine/Views.h"

namespace testing_support {

::testing::AssertionResult Checked(bool done, DWORD error, const std::string& tried)
{
    if (done)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "cannot " << tried << " (error " << error << ")";
}

::testing::AssertionResult PlantFile(const std::string& path, DWORD attributes)
{
    const bool done = machine::WriteText(path, "x", attributes);
    const DWORD error = GetLastError();
    return Checked(done, error, "write " + path);
}

::testing::AssertionResult PlantDirs(const std::string& dir)
{
    const bool done = machine::MakeDirs(dir);
    const DWORD error = GetLastError();
    return Checked(done, error, "make " + dir);
}

::testing::AssertionResult PlantCopy(const std::string& source, const std::string& path)
{
    const bool done = machine::CopyInto(source, path);
    const DWORD error = GetLastError();
    return Checked(done, error, "copy " + source + " to " + path);
}

::testing::AssertionResult PlantKey(const std::string& key, REGSAM view, HKEY root)
{
    const bool done = machine::MakeKey(key, view, root).IsValid();
    const DWORD error = GetLastError();
    return Checked(done, error, "create " + machine::ViewName(view) + "\\" + key);
}

::testing::AssertionResult PlantString(const std::string& key, const char* name, const std::string& data,
                                       REGSAM view)
{
    const bool done = machine::SetString(key, name, data, view);
    const DWORD error = GetLastError();
    return Checked(done, error, "set " + machine::ViewName(view) + "\\" + key + " : " + name);
}

::testing::AssertionResult PlantDword(const std::string& key, const char* name, DWORD data, REGSAM view)
{
    const bool done = machine::SetDword(key, name, data, view);
    const DWORD error = GetLastError();
    return Checked(done, error, "set " + machine::ViewName(view) + "\\" + key + " : " + name);
}

::testing::AssertionResult PlantStrings(const std::string& key, const char* name,
                                        const std::vector<std::string>& strings, REGSAM view)
{
    const bool done = machine::SetStrings(key, name, strings, view);
    const DWORD error = GetLastError();
    return Checked(done, error, "set " + machine::ViewName(view) + "\\" + key + " : " + name);
}

}  // namespace testing_support
