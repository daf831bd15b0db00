#include "uninstall/FileCatalogue.h"

#include "sysops/Files.h"
#include "sysops/PathText.h"
#include "sysops/Registry.h"

namespace uninstall {

void DeleteFiles(const std::string& dir, const NameList& list)
{
    for (const char* name : list)
        sysops::DeleteFileOrTree(dir.c_str(), name);
}

void DeleteSharedRefs(const std::string& baseDir, const RefList& list)
{
    for (const char* name : list.names) {
        std::string valueName;
        if (sysops::JoinPath(baseDir, name, valueName))
            sysops::DeleteRegistryItem(kSharedDllsKey, valueName.c_str(), list.view64);
    }
}

}  // namespace uninstall
