#include "sysops/LogFile.h"

namespace sysops {

bool LogFile::Open(const std::string& path)
{
    // Others may read the record while the run writes it; nobody else writes.
    file_.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    return file_.IsValid();
}

void LogFile::WriteLine(const std::string& line)
{
    if (!file_)
        return;
    const std::string text = line + "\r\n";
    SetFilePointer(file_.Get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace sysops
