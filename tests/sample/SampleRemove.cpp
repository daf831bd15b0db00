// Takes the sample off the machine again, whatever an uninstall run left
// of it, the others' items included.
#include "sample/Sample.h"
#include "sample/SampleLocations.h"
#include "sample/SamplePackageB.h"
#include "sample/SampleState.h"
#include "sample/SampleVariant.h"

#include "machine/Files.h"
#include "machine/Processes.h"
#include "machine/Registry.h"
#include "machine/Services.h"
#include "sysops/FsRedirection.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace sample {

namespace {

using machine::DeleteTree;
using machine::DeleteValue;
using machine::HoldsFiles;
using machine::RemoveTree;
using machine::TreeHoldsValues;

void EndPrograms(const Variant& variant, const State& state)
{
    for (const StartedProgram& program : state.programs)
        machine::EndProcess(program.pid, program.image);
    for (const ServiceRow& row : Services()) {
        if (Applies(row.when, variant) || machine::ServiceExists(row.name))
            machine::UninstallService(row.name, row.image);
    }
}

void RemoveValues(const Variant& variant, const Locations& where)
{
    for (const ValueRow& row : Values()) {
        if (Applies(row.when, variant))
            DeleteValue(row.key, row.name, ViewFlag(row.view, variant.win64));
    }
    for (const PathValueRow& row : SharedReferences()) {
        if (Applies(row.when, variant))
            DeleteValue(kSharedDlls, PathValueName(row, where).c_str(), ViewFlag(row.view, variant.win64));
    }
    for (const PathValueRow& row : InstallerFolders()) {
        if (Applies(row.when, variant))
            DeleteValue(kInstallerFolders, PathValueName(row, where).c_str(), ViewFlag(row.view, variant.win64));
    }
}

// The sample's names leave the list; the value goes once the list is empty.
void RemoveEntries(const Variant& variant)
{
    for (const EntryRow& row : Entries()) {
        if (!Applies(row.when, variant))
            continue;
        const REGSAM view = ViewFlag(row.view, variant.win64);
        std::vector<std::string> entries;
        if (!machine::ReadStrings(row.key, row.name, view, entries))
            continue;
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::string& entry) { return SameText(entry, row.entry); }),
                      entries.end());
        if (entries.empty())
            DeleteValue(row.key, row.name, view);
        else
            machine::SetStrings(row.key, row.name, entries, view);
    }
}

// Deepest keys first, so that a bare parent is looked at after its children.
void RemoveKeys(const Variant& variant)
{
    std::vector<const KeyRow*> rows;
    for (const KeyRow& row : Keys()) {
        if (Applies(row.when, variant, row.key))
            rows.push_back(&row);
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const KeyRow* a, const KeyRow* b) { return std::strlen(a->key) > std::strlen(b->key); });
    for (const KeyRow* row : rows) {
        const REGSAM view = ViewFlag(row->view, variant.win64);
        if (row->fill == Fill::Filled || !TreeHoldsValues(row->key, view))
            DeleteTree(row->key, view);
    }
}

void RemoveFiles(const Variant& variant, const Locations& where, const State& state)
{
    for (const FileRow& row : Files()) {
        if (!Applies(row.when, variant) || row.content == Content::Existing)
            continue;
        sysops::ScopedFsRedirectionOff native(IsNative(row.base, variant));
        machine::DeleteForced(FilePath(row, where, state.localPackage));
    }
    std::vector<std::pair<std::string, Removal>> folders;
    for (const FolderRow& row : Folders()) {
        if (Applies(row.when, variant))
            folders.emplace_back(FolderPath(row, where), row.removal);
    }
    std::stable_sort(folders.begin(), folders.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    for (const auto& folder : folders) {
        if (folder.second == Removal::Tree || !HoldsFiles(folder.first))
            RemoveTree(folder.first);
    }
}

// The parents Plant had to create, once nothing but empty keys and folders
// is left in them.
void RemoveCreatedParents(const State& state)
{
    for (auto created = state.createdKeys.rbegin(); created != state.createdKeys.rend(); ++created) {
        if (!TreeHoldsValues(created->key, created->view))
            DeleteTree(created->key, created->view);
    }
    for (auto dir = state.createdDirs.rbegin(); dir != state.createdDirs.rend(); ++dir) {
        if (!HoldsFiles(*dir))
            RemoveTree(*dir);
    }
}

}  // namespace

void Remove(const Variant& variant)
{
    State state;
    LoadState(state);
    EndPrograms(variant, state);
    Locations where;
    std::string error;
    if (FindLocations(variant, where, error)) {
        RemovePackageB(variant, state.localPackage);
        RemoveValues(variant, where);
        RemoveEntries(variant);
        RemoveKeys(variant);
        RemoveFiles(variant, where, state);
    }
    RemoveCreatedParents(state);
    RemoveTree(kSampleRoot);
}

}  // namespace sample
