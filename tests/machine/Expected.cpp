#include "machine/Expected.h"

#include "machine/Environment.h"
#include "machine/Views.h"

namespace machine {
namespace expected {

std::string Box(const std::string& caption, const std::string& text)
{
    return caption + ": " + text;
}

std::vector<std::string> LocationBoxes()
{
    const std::string windir = Variable("WINDIR");
    const std::string systemDir = windir + (IsWow64() ? "\\SysWOW64" : "\\system32");
    std::vector<std::string> boxes = {Box(kWindirCaption, windir)};
    if (IsWow64())
        boxes.push_back(Box(kSysWow64Caption, systemDir));
    boxes.push_back(Box(kSystemDirCaption, systemDir));
    boxes.push_back(Box(kProgramFilesCaption, Variable("PROGRAMFILES")));
    return boxes;
}

}  // namespace expected
}  // namespace machine
