// Where the built programs lie.
#pragma once

#include <string>

namespace machine {

// The folder of the running program. The tests, their helper programs, the
// sample's components and package B's database are all built there.
std::string TestBinDir();
// The program under test, built next to that folder.
std::string ProgramPath();

}  // namespace machine
