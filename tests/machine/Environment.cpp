#include "machine/Environment.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace machine {
namespace {

// The longest value Windows keeps, and its terminator.
constexpr DWORD kValueBufferSize = 32768;

// Names compare without regard to case, as Windows treats them.
std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

bool ReadVariable(const char* name, std::string& value)
{
    value.assign(kValueBufferSize, '\0');
    const DWORD length = GetEnvironmentVariableA(name, &value[0], kValueBufferSize);
    if (length == 0 || length >= kValueBufferSize) {
        value.clear();
        return false;
    }
    value.resize(length);
    return true;
}

std::string Variable(const char* name)
{
    std::string value;
    ReadVariable(name, value);
    return value;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name)
{
    hadOld_ = ReadVariable(name, old_);
    SetEnvironmentVariableA(name, value);
}

ScopedEnv::~ScopedEnv()
{
    SetEnvironmentVariableA(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}

std::vector<char> EnvironmentWith(const std::vector<std::string>& changes)
{
    std::map<std::string, std::string> variables;  // upper-case name -> "Name=value"
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        const std::string text(entry);
        variables[Upper(text.substr(0, text.find('=', 1)))] = text;
    }
    FreeEnvironmentStringsA(block);
    for (const std::string& change : changes) {
        const std::size_t equals = change.find('=');
        if (equals == std::string::npos)
            variables.erase(Upper(change));
        else
            variables[Upper(change.substr(0, equals))] = change;
    }
    std::vector<char> result;
    for (const auto& entry : variables) {
        result.insert(result.end(), entry.second.begin(), entry.second.end());
        result.push_back('\0');
    }
    result.push_back('\0');
    return result;
}

}  // namespace machine
