#include "machine/Msiexec.h"

#include "machine/Child.h"

#include <chrono>

namespace machine {

std::string InstallerUserKey(const std::string& sid)
{
    return std::string(kUserDataKey) + "\\" + sid;
}

std::string InstallerComponentKey(const std::string& sid, const std::string& component)
{
    return InstallerUserKey(sid) + "\\Components\\" + component;
}

int Msiexec(const std::string& arguments)
{
    return RunAndWait("msiexec.exe " + arguments + " /qn", std::chrono::minutes(3));
}

}  // namespace machine
