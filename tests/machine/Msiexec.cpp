#include "machine/Msiexec.h"

#include "machine/Child.h"

#include <chrono>

namespace machine {

int Msiexec(const std::string& arguments)
{
    return RunAndWait("msiexec.exe " + arguments + " /qn", std::chrono::minutes(3));
}

}  // namespace machine
