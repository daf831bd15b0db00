// Looks at every item of the sample and says whether it is there and
// whether it should be after a completed uninstall run.
#include "sample/Sample.h"
#include "sample/SampleLocations.h"
#include "sample/SampleState.h"
#include "sample/SampleVariant.h"

#include "machine/Files.h"
#include "machine/Processes.h"
#include "machine/Registry.h"
#include "machine/Services.h"
#include "machine/Views.h"
#include "sysops/FsRedirection.h"

#include <algorithm>

namespace sample {

namespace {

using machine::ValueExists;

struct Inspection {
    const Variant& variant;
    const Locations& where;
    const State& state;
    std::vector<ItemState>& items;

    void Add(Fate fate, const char* kind, std::string where, bool present, std::string detail = std::string())
    {
        const Group group = fate == Fate::Appears ? Group::Marks
                            : fate == Fate::Stays   ? Group::Others
                                                    : Group::Product;
        items.push_back({group, kind, std::move(where), std::move(detail), present, PresentAfterRun(fate, variant)});
    }
};


std::string KeyText(const char* key, REGSAM view) { return machine::ViewName(view) + "\\" + key; }
std::string ValueText(const char* key, const std::string& name, REGSAM view)
{
    return KeyText(key, view) + " : " + name;
}

void InspectFiles(Inspection& in)
{
    for (const FileRow& row : Files()) {
        if (!Applies(row.when, in.variant))
            continue;
        const std::string path = FilePath(row, in.where, in.state.localPackage);
        sysops::ScopedFsRedirectionOff native(IsNative(row.base, in.variant));
        in.Add(row.fate, "file", path, machine::Exists(path));
    }
    for (const FolderRow& row : Folders()) {
        if (Applies(row.when, in.variant))
            in.Add(row.fate, "folder", FolderPath(row, in.where), machine::IsDirectory(FolderPath(row, in.where)));
    }
}

void InspectRegistry(Inspection& in)
{
    const bool win64 = in.variant.win64;
    for (const KeyRow& row : Keys()) {
        const REGSAM view = ViewFlag(row.view, win64);
        if (Applies(row.when, in.variant, row.key))
            in.Add(row.fate, "key", KeyText(row.key, view), machine::KeyExists(row.key, view));
    }
    for (const ValueRow& row : Values()) {
        const REGSAM view = ViewFlag(row.view, win64);
        if (Applies(row.when, in.variant))
            in.Add(row.fate, "value", ValueText(row.key, row.name, view), ValueExists(row.key, row.name, view));
    }
    for (const PathValueRow& row : SharedReferences()) {
        const REGSAM view = ViewFlag(row.view, win64);
        const std::string name = PathValueName(row, in.where);
        if (Applies(row.when, in.variant))
            in.Add(row.fate, "value", ValueText(kSharedDlls, name, view), ValueExists(kSharedDlls, name.c_str(), view));
    }
    for (const PathValueRow& row : InstallerFolders()) {
        const REGSAM view = ViewFlag(row.view, win64);
        const std::string name = PathValueName(row, in.where);
        if (Applies(row.when, in.variant))
            in.Add(row.fate, "value", ValueText(kInstallerFolders, name, view),
                   ValueExists(kInstallerFolders, name.c_str(), view));
    }
}

// Each listed name, and the list value itself: it must stay exactly while
// some name in it must stay.
void InspectEntries(Inspection& in)
{
    bool anyListed = false;
    bool valueStays = false;
    const EntryRow* last = nullptr;
    for (const EntryRow& row : Entries()) {
        if (!Applies(row.when, in.variant))
            continue;
        const REGSAM view = ViewFlag(row.view, in.variant.win64);
        std::vector<std::string> entries;
        const bool listed = ReadEntries(row, view, entries);
        in.Add(row.fate, "entry", ValueText(row.key, row.name, view) + " lists " + row.entry, listed);
        anyListed = anyListed || listed;
        valueStays = valueStays || PresentAfterRun(row.fate, in.variant);
        last = &row;
    }
    if (last == nullptr)
        return;
    const REGSAM view = ViewFlag(last->view, in.variant.win64);
    const bool present = ValueExists(last->key, last->name, view);
    in.Add(valueStays ? Fate::Stays : Fate::Gone, "value", ValueText(last->key, last->name, view), present,
           present && !anyListed ? "lists nothing" : "");
}

const StartedProgram* FindProgram(const State& state, const char* image)
{
    for (const StartedProgram& program : state.programs) {
        if (SameText(program.image, image))
            return &program;
    }
    return nullptr;
}

void InspectPrograms(Inspection& in)
{
    for (const ProcessRow& row : Processes()) {
        if (!Applies(row.when, in.variant))
            continue;
        const StartedProgram* started = FindProgram(in.state, row.image);
        const bool timedOut = machine::Exists(Join(kMarksDir, (std::string(row.image) + ".timeout.txt").c_str()));
        const bool running = started != nullptr && machine::IsRunning(started->pid, started->image);
        const char* detail = started == nullptr ? "never started"
                             : timedOut         ? "ran out its time: nothing ended it"
                                                : "";
        in.Add(row.fate, "process", row.image, running || timedOut, detail);
    }
    for (const ServiceRow& row : Services()) {
        if (Applies(row.when, in.variant))
            in.Add(row.fate, "service", row.name, machine::ServiceExists(row.name));
    }
}

// A mark's lines, without trailing blanks, and none empty.
std::vector<std::string> MarkLines(const std::string& path)
{
    std::vector<std::string> lines;
    for (std::string line : machine::ReadLines(path)) {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

// What follows the program's name (quoted or not) on a command line.
std::string ArgumentsOf(const std::string& commandLine)
{
    std::size_t at = commandLine.find_first_not_of(' ');
    if (at == std::string::npos)
        return std::string();
    at = commandLine[at] == '"' ? commandLine.find('"', at + 1) : commandLine.find(' ', at);
    if (at == std::string::npos)
        return std::string();
    at = commandLine.find_first_not_of(' ', at + 1);
    return at == std::string::npos ? std::string() : commandLine.substr(at);
}

bool MarkMatches(const MarkRow& row, const std::vector<std::string>& lines)
{
    switch (row.match) {
    case Match::OnlyLine: return lines.size() == 1 && lines[0] == row.text;
    case Match::AnyLine: return std::find(lines.begin(), lines.end(), row.text) != lines.end();
    case Match::Arguments:
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return ArgumentsOf(line) == row.text; });
    }
    return false;
}

void InspectMarks(Inspection& in)
{
    for (const MarkRow& row : Marks()) {
        if (!Applies(row.when, in.variant))
            continue;
        const std::vector<std::string> lines = MarkLines(Join(kMarksDir, row.file));
        std::string detail;
        for (const std::string& line : lines)
            detail += (detail.empty() ? "" : " | ") + line;
        in.Add(Fate::Appears, "mark", row.what, MarkMatches(row, lines), detail);
    }
}

}  // namespace

std::vector<ItemState> Inspect(const Variant& variant)
{
    std::vector<ItemState> items;
    Locations where;
    std::string error;
    if (!FindLocations(variant, where, error))
        return items;
    State state;
    LoadState(state);
    Inspection in{variant, where, state, items};
    InspectFiles(in);
    InspectRegistry(in);
    InspectEntries(in);
    InspectPrograms(in);
    InspectMarks(in);
    return items;
}

const char* Verdict(const ItemState& item)
{
    if (item.present == item.presentAfterRun)
        return "ok";
    return item.present ? "STILL THERE" : "MISSING";
}

const char* GroupName(Group group)
{
    constexpr const char* kNames[] = {"product", "others", "marks"};  // Group's values in their order
    return kNames[static_cast<int>(group)];
}

}  // namespace sample
