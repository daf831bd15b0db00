// Lays the sample into the machine, row by row.
#include "sample/Sample.h"
#include "sample/SampleFiles.h"
#include "sample/SampleLocations.h"
#include "sample/SamplePackageB.h"
#include "sample/SamplePrograms.h"
#include "sample/SampleRegistry.h"
#include "sample/SampleState.h"
#include "sample/SampleVariant.h"

#include "sysops/FsRedirection.h"

#include <algorithm>

namespace sample {

namespace {

// What every planted key holds, so that only a whole-tree deletion takes it.
constexpr char kFillValue[] = "SampleValue";
constexpr char kFillSubkey[] = "SampleSubkey";
constexpr char kFillDeepValue[] = "SampleDeep";

// The test components, built next to the helper programs.
constexpr char kIdentityComponent[] = "sample_identity.dll";
constexpr char kApiCoreComponent[] = "sample_apicore.dll";
constexpr char kMonitorProgram[] = "sample_monitor.exe";
constexpr char kServiceProgram[] = "morvsvc.exe";

struct Planting {
    const Variant& variant;
    const Locations& where;
    State& state;
    PlantResult& result;

    void Fail(const std::string& what) { result.failures.push_back(what); }
    // Rows that msiexec writes when the real package B is installed.
    bool WrittenByMsiexec(Source source) const { return source == Source::PackageB && state.realPackageB; }
};

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

void NoteMissingKey(Planting& p, const std::string& key, REGSAM view)
{
    const std::string missing = FirstMissingKey(key, view);
    if (missing.empty())
        return;
    for (const CreatedKey& created : p.state.createdKeys) {
        if (created.view == view && SameText(created.key, missing))
            return;
    }
    p.state.createdKeys.push_back({view, missing});
}

void NoteMissingDir(Planting& p, const std::string& dir)
{
    const std::string missing = FirstMissingDir(dir);
    if (missing.empty())
        return;
    for (const std::string& created : p.state.createdDirs) {
        if (SameText(created, missing))
            return;
    }
    p.state.createdDirs.push_back(missing);
}

// Before anything is laid in (msiexec included), the parents that do not
// exist yet, so that Remove can take them away again. The native system
// directories are always there and are not looked at.
void NoteMissingParents(Planting& p)
{
    const Variant& v = p.variant;
    for (const FileRow& row : Files()) {
        if (Applies(row.when, v) && row.content != Content::Existing && !IsNative(row.base, v))
            NoteMissingDir(p, FolderOf(FilePath(row, p.where, std::string())));
    }
    for (const FolderRow& row : Folders()) {
        if (Applies(row.when, v))
            NoteMissingDir(p, FolderPath(row, p.where));
    }
    for (const KeyRow& row : Keys()) {
        if (Applies(row.when, v, row.key))
            NoteMissingKey(p, row.key, ViewFlag(row.view, v.win64));
    }
    for (const ValueRow& row : Values()) {
        if (Applies(row.when, v))
            NoteMissingKey(p, row.key, ViewFlag(row.view, v.win64));
    }
    for (const PathValueRow& row : SharedReferences()) {
        if (Applies(row.when, v))
            NoteMissingKey(p, kSharedDlls, ViewFlag(row.view, v.win64));
    }
    for (const PathValueRow& row : InstallerFolders()) {
        if (Applies(row.when, v))
            NoteMissingKey(p, kInstallerFolders, ViewFlag(row.view, v.win64));
    }
    for (const EntryRow& row : Entries()) {
        if (Applies(row.when, v))
            NoteMissingKey(p, row.key, ViewFlag(row.view, v.win64));
    }
}

void PlantPackageB(Planting& p)
{
    std::string note;
    p.state.realPackageB = InstallPackageB(p.where, p.variant, p.state.localPackage, note);
    p.result.realPackageB = p.state.realPackageB;
    if (!p.state.realPackageB && !PackageBDatabase().empty())
        p.Fail("package B's database did not install (" + note + "); its records are written by hand");
}

bool PlantFile(const FileRow& row, const std::string& path)
{
    const std::string helpers = HelperDir();
    switch (row.content) {
    case Content::Existing: return Exists(path);
    case Content::Identity: return CopyInto(Join(helpers, kIdentityComponent), path, row.attr);
    case Content::ApiCore: return CopyInto(Join(helpers, kApiCoreComponent), path, row.attr);
    case Content::Monitor: return CopyInto(Join(helpers, kMonitorProgram), path, row.attr);
    case Content::Text:
    case Content::CachedPackage: return WriteText(path, "Morvane sample: " + path + "\r\n", row.attr);
    }
    return false;
}

void PlantFiles(Planting& p)
{
    for (const FileRow& row : Files()) {
        if (!Applies(row.when, p.variant) || p.WrittenByMsiexec(row.source))
            continue;
        const std::string path = FilePath(row, p.where, p.state.localPackage);
        sysops::ScopedFsRedirectionOff native(IsNative(row.base, p.variant));
        if (!PlantFile(row, path))
            p.Fail("file " + path);
    }
    for (const FolderRow& row : Folders()) {
        if (Applies(row.when, p.variant) && !p.WrittenByMsiexec(row.source) && !MakeDirs(FolderPath(row, p.where)))
            p.Fail("folder " + FolderPath(row, p.where));
    }
}

bool PlantKey(const KeyRow& row, REGSAM view)
{
    if (row.fill == Fill::Bare)
        return CreateKey(row.key, view);
    const std::string key = row.key;
    return SetString(key, kFillValue, "planted by the Morvane sample", view) &&
           SetString(key + "\\" + kFillSubkey, kFillDeepValue, "1", view);
}

void PlantRegistry(Planting& p)
{
    const Variant& v = p.variant;
    for (const KeyRow& row : Keys()) {
        if (Applies(row.when, v, row.key) && !p.WrittenByMsiexec(row.source) &&
            !PlantKey(row, ViewFlag(row.view, v.win64)))
            p.Fail(std::string("key ") + row.key);
    }
    for (const ValueRow& row : Values()) {
        if (Applies(row.when, v) && !p.WrittenByMsiexec(row.source) &&
            !SetString(row.key, row.name, ValueData(row, p.where), ViewFlag(row.view, v.win64)))
            p.Fail(std::string("value ") + row.key + " : " + row.name);
    }
    for (const PathValueRow& row : SharedReferences()) {
        const std::string name = PathValueName(row, p.where);
        if (Applies(row.when, v) && !SetDword(kSharedDlls, name.c_str(), 1, ViewFlag(row.view, v.win64)))
            p.Fail("reference " + name);
    }
    for (const PathValueRow& row : InstallerFolders()) {
        const std::string name = PathValueName(row, p.where);
        if (Applies(row.when, v) && !SetString(kInstallerFolders, name.c_str(), "", ViewFlag(row.view, v.win64)))
            p.Fail("installer folder " + name);
    }
}

void PlantEntries(Planting& p)
{
    for (const EntryRow& row : Entries()) {
        if (!Applies(row.when, p.variant))
            continue;
        const REGSAM view = ViewFlag(row.view, p.variant.win64);
        std::vector<std::string> entries;
        ReadStrings(row.key, row.name, view, entries);
        const bool listed = std::any_of(entries.begin(), entries.end(),
                                        [&](const std::string& entry) { return SameText(entry, row.entry); });
        if (!listed)
            entries.push_back(row.entry);
        if (!WriteStrings(row.key, row.name, entries, view))
            p.Fail(std::string("entry ") + row.entry + " of " + row.name);
    }
}

// The running programs start from the sample's own folder, so that the
// copies in the system directory stay free to delete.
void StartPrograms(Planting& p)
{
    const std::string runDir = std::string(kSampleRoot) + "\\run";
    for (const ProcessRow& row : Processes()) {
        if (!Applies(row.when, p.variant))
            continue;
        const std::string path = Join(runDir, row.image);
        const DWORD pid = CopyInto(Join(HelperDir(), kMonitorProgram), path, Attr::Normal) ? StartProgram(path) : 0;
        if (pid == 0)
            p.Fail(std::string("program ") + row.image);
        else
            p.state.programs.push_back({pid, row.image});
    }
}

void StartServices(Planting& p)
{
    const std::string program = Join(HelperDir(), kServiceProgram);
    for (const ServiceRow& row : Services()) {
        if (!Applies(row.when, p.variant))
            continue;
        const std::string path = std::string(kSampleRoot) + "\\service\\" + row.image;
        std::string error;
        if (!CopyInto(program, path, Attr::Normal))
            error = "the test service program " + program + " is missing";
        else
            InstallService(row.name, "\"" + path + "\" " + Join(kMarksDir, "service.txt"), error);
        if (!error.empty())
            p.Fail(std::string("service ") + row.name + ": " + error);
    }
}

}  // namespace

PlantResult Plant(const Variant& variant)
{
    PlantResult result;
    Variant earlier;
    if (PlantedVariant(earlier))
        Remove(earlier);
    Locations where;
    std::string error;
    if (!FindLocations(variant, where, error)) {
        result.failures.push_back(error);
        return result;
    }
    State state;
    state.variant = variant;
    Planting p{variant, where, state, result};
    NoteMissingParents(p);
    MakeDirs(kMarksDir);
    SaveState(state);  // so that a plant that stops half-way can still be removed
    PlantPackageB(p);
    SaveState(state);
    PlantFiles(p);
    PlantRegistry(p);
    PlantEntries(p);
    StartPrograms(p);
    SaveState(state);
    StartServices(p);
    if (!SaveState(state))
        p.Fail("the record " + StatePath());
    return result;
}

bool PlantedVariant(Variant& variant)
{
    State state;
    if (!LoadState(state))
        return false;
    variant = state.variant;
    return true;
}

}  // namespace sample
