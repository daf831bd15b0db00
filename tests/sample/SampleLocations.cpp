#include "sample/SampleLocations.h"

#include "machine/Environment.h"
#include "machine/Registry.h"
#include "machine/Views.h"
#include "sysops/Probes.h"

#include <algorithm>

namespace sample {

namespace {

bool ReadVariable(const char* name, std::string& value, std::string& error)
{
    if (machine::ReadVariable(name, value))
        return true;
    error = std::string(name) + " is not set";
    return false;
}

// The all-users program menu, by the version class: 98 and Me keep it in
// the Windows directory, NT 4 in its profiles, later ones in the all-users
// profile.
bool FindMenu(const Variant& variant, Locations& where, std::string& error)
{
    if (variant.osClass == sysops::OSCLASS_WIN98 || variant.osClass == sysops::OSCLASS_WINME) {
        where.menu = where.windows + "\\Start Menu\\Programs";
        return true;
    }
    if (variant.osClass == sysops::OSCLASS_NT4) {
        where.menu = where.windows + "\\Profiles\\All Users\\Start Menu\\Programs";
        return true;
    }
    std::string profile;
    if (!ReadVariable("ALLUSERSPROFILE", profile, error))
        return false;
    where.menu = profile + "\\Start Menu\\Programs";
    return true;
}

}  // namespace

REGSAM ViewFlag(View view, bool win64)
{
    if (!win64)
        return 0;
    return view == View::V0 ? machine::kView32 : machine::kView64;
}

const std::string& Locations::Of(Base base) const
{
    switch (base) {
    case Base::Windows: return windows;
    case Base::System32: return system32;
    case Base::System64: return system64;
    case Base::Drivers: return drivers;
    case Base::ProgramFiles: return programFiles;
    case Base::Install: return install;
    case Base::Menu: return menu;
    case Base::RefList32: return system64.empty() ? system32 : system64;
    }
    return windows;
}

bool FindLocations(const Variant& variant, Locations& where, std::string& error)
{
    where = Locations();
    if (!ReadVariable("WINDIR", where.windows, error) || !ReadVariable("PROGRAMFILES", where.programFiles, error))
        return false;
    if (variant.win64) {
        where.system32 = where.windows + "\\SysWOW64";
        where.system64 = where.windows + "\\system32";
        where.drivers = where.system64 + "\\drivers";
    } else {
        where.system32 = where.windows + "\\system32";
        where.drivers = where.system32 + "\\drivers";
    }
    where.install = where.programFiles + "\\TQM\\Morvane";
    return FindMenu(variant, where, error);
}

bool IsNative(Base base, const Variant& variant)
{
    return variant.win64 && (base == Base::System64 || base == Base::Drivers);
}

std::string Join(const std::string& dir, const char* tail) { return dir + "\\" + tail; }

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool ReadEntries(const EntryRow& row, REGSAM view, std::vector<std::string>& entries)
{
    machine::ReadStrings(row.key, row.name, view, entries);
    return std::any_of(entries.begin(), entries.end(), [&row](const std::string& entry) { return SameText(entry, row.entry); });
}

std::string FilePath(const FileRow& row, const Locations& where, const std::string& localPackage)
{
    if (row.content == Content::CachedPackage && !localPackage.empty())
        return localPackage;
    return Join(where.Of(row.base), row.path);
}

std::string FolderPath(const FolderRow& row, const Locations& where)
{
    const std::string& base = where.Of(row.base);
    return *row.path == '\0' ? base : Join(base, row.path);
}

std::string PathValueName(const PathValueRow& row, const Locations& where)
{
    return Join(where.Of(row.base), row.tail);
}

std::string ValueData(const ValueRow& row, const Locations& where)
{
    switch (row.from) {
    case DataFrom::Text: return row.data;
    case DataFrom::InstallDir: return where.install + row.data;
    case DataFrom::WindowsDir: return where.windows + row.data;
    }
    return row.data;
}

}  // namespace sample
