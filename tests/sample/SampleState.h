// What Plant records for a later Inspect or Remove, possibly in another
// process: the variant, package B's cached database, the programs it
// started, and the parent keys and folders it had to create.
#pragma once

#include "sample/Sample.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sample {

struct StartedProgram {
    DWORD pid;
    std::string image;
};

struct CreatedKey {
    REGSAM view;
    std::string key;
};

struct State {
    Variant variant;
    bool realPackageB = false;
    std::string localPackage;  // package B's cached database, as msiexec named it
    std::vector<StartedProgram> programs;
    std::vector<CreatedKey> createdKeys;
    std::vector<std::string> createdDirs;
};

// Where the state lives: kSampleRoot\state.txt.
std::string StatePath();
bool SaveState(const State& state);
// False when no sample is planted (or its record cannot be read).
bool LoadState(State& state);

}  // namespace sample
