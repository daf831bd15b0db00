// A sample Morvane installation that tests and the demonstration lay into a
// Wine machine: files in the system directories and the install tree,
// installer caches, menu entries, the filter driver, registry keys and values
// in both views, installer records, running programs and the service. Every
// item says what a completed uninstall run must leave of it: the product's
// things gone, everybody else's still there, and the marks that the
// uninstaller's outside programs leave when it calls them.
//
// The expectations come from this sample's own tables, never from the
// program under test.
#pragma once

#include "sample/SampleMarks.h"

#include <string>
#include <vector>

namespace sample {

// Whether other products share the product's places: a subkey of
// Software\TQM, a folder beside the install directory under TQM, a folder
// under the menu's TQV, and another filter in the reader class's
// UpperFilters. With neighbours those parents stay; alone they go.
enum class Neighbours { Absent, Present };

// What the Winlogon key's GinaDLL names: the product's GINA as the installer
// writes it, the product's GINA with a path in other letter case, or
// another product's GINA.
enum class Gina { Bare, WithPath, Other };

// How the uninstaller is to find the install directory: named by the
// "MorvDir" value, or only by looking under Program Files.
enum class InstallDirFrom { Registry, Search };

struct Variant {
    int osClass = 0;  // the Windows version class, numbered as sysops::GetOsClass numbers it
    bool win64 = false;
    Neighbours neighbours = Neighbours::Present;
    Gina gina = Gina::Bare;
    InstallDirFrom installDirFrom = InstallDirFrom::Registry;
};

// The machine's version class and bitness, with the default choices.
Variant ThisMachine();

// "class=11 neighbours=yes gina=bare installdir=registry": every choice, in
// the words that ParseVariantOption reads back.
std::string DescribeVariant(const Variant& variant);
// Reads one "name=value" word into variant; false when it is not one.
// The machine's bitness is not a choice and cannot be set.
bool ParseVariantOption(const std::string& word, Variant& variant);

enum class Group { Product, Others, Marks };

struct ItemState {
    Group group;
    const char* kind;    // "file", "folder", "key", "value", "entry", "process", "service", "mark"
    std::string where;   // the path, key, process or mark, as a reader finds it
    std::string detail;  // what a mark holds, or why a state is odd; usually empty
    bool present;
    bool presentAfterRun;  // what a completed uninstall run must leave
};

// "ok" when the item is as a completed run leaves it, "STILL THERE" when it
// should be gone, "MISSING" when it should be there.
const char* Verdict(const ItemState& item);
const char* GroupName(Group group);

struct PlantResult {
    std::vector<std::string> failures;  // what could not be laid in
    bool realPackageB = false;          // package B installed by msiexec, not written by hand
};

// Lays the sample into this machine (removing an earlier sample first) and
// starts its programs and service. The running programs, the created parent
// keys and folders and package B's cached file are recorded in the sample's
// own folder, so that a later Inspect or Remove, in this process or
// another, finds them.
PlantResult Plant(const Variant& variant);

// Every item of the sample with its present state and what a completed run
// must leave.
std::vector<ItemState> Inspect(const Variant& variant);

// Takes away whatever is left of the sample, including the others' items,
// package B, the programs, the service, the marks and the parents that
// Plant created, so that the machine is as Plant found it.
void Remove(const Variant& variant);

// The variant recorded by the last Plant on this machine; false when there
// is none.
bool PlantedVariant(Variant& variant);

// Where the sample keeps its marks, running copies and records.
inline constexpr const char* kSampleRoot = sample_marks::kRoot;
inline constexpr const char* kMarksDir = sample_marks::kFolder;

}  // namespace sample
