// This process's environment, and the environment of the programs it starts.
#pragma once

#include <string>
#include <vector>

namespace machine {

// The value of a variable; false, with value emptied, when it is unset or empty.
bool ReadVariable(const char* name, std::string& value);
// The value, or an empty text when it is unset.
std::string Variable(const char* name);

// Sets (or, with a null value, unsets) a variable of this process; the old
// value comes back on destruction.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_;
};

// An environment block: this process's environment with `changes` applied
// ("NAME=value" sets, "NAME" alone removes).
std::vector<char> EnvironmentWith(const std::vector<std::string>& changes);

}  // namespace machine
