#include "sysops/SystemFolders.h"

#include "sysops/Handles.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"
#include "sysops/SystemCalls.h"

namespace sysops {
namespace {

bool ReadDirectory(DirectoryFn call, std::string& dir)
{
    dir.clear();
    char buffer[kPathBufferSize];
    const UINT length = call(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return false;
    dir.assign(buffer, length);
    return true;
}

// Each %NAME% replaced by that variable's value; one that is unset stays as
// written, as ExpandEnvironmentStrings leaves it.
bool ExpandVariables(const std::string& text, std::string& out)
{
    std::string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            result.append(text, pos, std::string::npos);
            break;
        }
        std::string value;
        if (ReadEnvironment(text.substr(open + 1, close - open - 1).c_str(), value))
            result.append(text, pos, open - pos).append(value);
        else
            result.append(text, pos, close + 1 - pos);
        pos = close + 1;
    }
    if (!Fits(result.size(), kPathBufferSize))
        return false;
    out.swap(result);
    return true;
}

}  // namespace

bool ReadWindowsDirectory(std::string& dir)
{
    // NT 4 Terminal Server and later; elsewhere there is only the one.
    const auto shared = Calls().getSystemWindowsDirectory;
    return ReadDirectory(shared != nullptr ? shared : &GetWindowsDirectoryA, dir);
}

bool ReadSystemDirectory(std::string& dir)
{
    return ReadDirectory(&GetSystemDirectoryA, dir);
}

bool ReadFolderValue(const char* subKey, const char* valueName, RegistryView view, std::string& folder)
{
    folder.clear();
    UniqueRegKey key;
    if (!OpenKey(subKey, KEY_QUERY_VALUE | view.bits, key).Done())
        return false;
    // One byte is kept back: stored data need not end with a terminator.
    char buffer[kPathBufferSize] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    if (type == REG_SZ) {
        folder = buffer;
        return true;
    }
    return ExpandVariables(buffer, folder);
}

}  // namespace sysops
