// Lays the sample into the machine, row by row.
#include "sample/Sample.h"
#include "sample/SampleLocations.h"
#include "sample/SamplePackageB.h"
#include "sample/SampleState.h"
#include "sample/SampleVariant.h"

#include "machine/Child.h"
#include "machine/Files.h"
#include "machine/Paths.h"
#include "machine/Registry.h"
#include "machine/Services.h"
#include "sysops/FsRedirection.h"

#include <algorithm>

namespace sample {

namespace {

using machine::CopyInto;
using machine::SetString;

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


DWORD AttributesOf(Attr attr)
{
    switch (attr) {
    case Attr::Normal: return FILE_ATTRIBUTE_NORMAL;
    case Attr::ReadOnly: return FILE_ATTRIBUTE_READONLY;
    case Attr::Hidden: return FILE_ATTRIBUTE_HIDDEN;
    case Attr::ReadOnlyHidden: return FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    }
    return FILE_ATTRIBUTE_NORMAL;
}

std::string HelperPath(const char* name) { return Join(machine::TestBinDir(), name); }

void NoteMissingKey(Planting& p, const std::string& key, REGSAM view)
{
    const std::string missing = machine::FirstMissingKey(key, view);
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
    const std::string missing = machine::FirstMissingDir(dir);
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
            NoteMissingDir(p, machine::FolderOf(FilePath(row, p.where, std::string())));
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
    const DWORD attributes = AttributesOf(row.attr);
    switch (row.content) {
    case Content::Existing: return machine::Exists(path);
    case Content::Identity: return CopyInto(HelperPath(kIdentityComponent), path, attributes);
    case Content::ApiCore: return CopyInto(HelperPath(kApiCoreComponent), path, attributes);
    case Content::Monitor: return CopyInto(HelperPath(kMonitorProgram), path, attributes);
    case Content::Text:
    case Content::CachedPackage: return machine::WriteText(path, "Morvane sample: " + path + "\r\n", attributes);
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
        if (Applies(row.when, p.variant) && !p.WrittenByMsiexec(row.source) && !machine::MakeDirs(FolderPath(row, p.where)))
            p.Fail("folder " + FolderPath(row, p.where));
    }
}

bool PlantKey(const KeyRow& row, REGSAM view)
{
    if (row.fill == Fill::Bare)
        return machine::MakeKey(row.key, view).IsValid();
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
        if (Applies(row.when, v) && !machine::SetDword(kSharedDlls, name.c_str(), 1, ViewFlag(row.view, v.win64)))
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
        if (!ReadEntries(row, view, entries))
            entries.push_back(row.entry);
        if (!machine::SetStrings(row.key, row.name, entries, view))
            p.Fail(std::string("entry ") + row.entry + " of " + row.name);
    }
}

// Starts the program from its own folder; its process id, or 0. It outlives
// the sample's tool, so it gets none of the tool's standard handles: a shell
// reading the tool's output would wait for it otherwise.
DWORD StartProgram(const std::string& path)
{
    machine::Child program(
        machine::Launch{machine::CommandLine(path), machine::FolderOf(path), {}, machine::StandardHandles::Discarded});
    return program.Started() ? program.Detach() : 0;
}

std::string LastErrorText(const char* what)
{
    return std::string(what) + " failed with error " + std::to_string(GetLastError());
}

// Registers the service (removing an earlier sample's first) and starts it;
// false, with `error` set, when any of that fails.
bool RunService(const ServiceRow& row, const std::string& commandLine, std::string& error)
{
    machine::UninstallService(row.name, row.image);
    if (!machine::InstallService(row.name, commandLine)) {
        error = LastErrorText("CreateService");
        return false;
    }
    if (!machine::StartServiceAndWait(row.name)) {
        error = std::string("service ") + row.name + " did not start and run";
        return false;
    }
    return true;
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
        const DWORD pid = CopyInto(HelperPath(kMonitorProgram), path) ? StartProgram(path) : 0;
        if (pid == 0)
            p.Fail(std::string("program ") + row.image);
        else
            p.state.programs.push_back({pid, row.image});
    }
}

void StartServices(Planting& p)
{
    const std::string program = HelperPath(kServiceProgram);
    for (const ServiceRow& row : Services()) {
        if (!Applies(row.when, p.variant))
            continue;
        const std::string path = std::string(kSampleRoot) + "\\service\\" + row.image;
        std::string error;
        if (!CopyInto(program, path))
            error = "the test service program " + program + " is missing";
        else
            RunService(row, machine::CommandLine(path, Join(kMarksDir, "service.txt")), error);
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
    machine::MakeDirs(kMarksDir);
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
