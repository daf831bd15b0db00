#include "uninstall/Record.h"

#include "sysops/PathText.h"
#include "sysops/SystemInfo.h"

#include <windows.h>

namespace uninstall {
namespace {

// Columns: the keyword or outcome, then the kind, then the name.
constexpr std::size_t kKeywordWidth = 13;
constexpr std::size_t kKindWidth = 19;

std::string Padded(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

const char* KindWord(ItemKind kind)
{
    switch (kind) {
    case ItemKind::File: return "file";
    case ItemKind::Tree: return "tree";
    case ItemKind::Folder: return "empty folder";
    case ItemKind::Key: return "key";
    case ItemKind::Value: return "value";
    case ItemKind::ListEntry: return "list entry";
    case ItemKind::Process: return "process";
    case ItemKind::Service: return "service";
    case ItemKind::OutsideProgram: return "outside program";
    case ItemKind::IdentityComponent: return "identity component";
    case ItemKind::InstallerRecord: return "installer record";
    }
    return "item";
}

// As reg.exe takes them: "/reg:32" and "/reg:64" pick a view; 32-bit Windows has one.
const char* ViewSwitch(sysops::RegistryView view)
{
    if (view.Is32BitOf64())
        return " /reg:32";
    if (view.Is64BitOf64())
        return " /reg:64";
    return "";
}

// "0xC0000005": how exception codes are looked up.
std::string Hex(unsigned long code)
{
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        text.push_back("0123456789ABCDEF"[(code >> shift) & 0xF]);
    return text;
}

// "[error 32: Sharing violation]", or "[the component crashed: 0xC0000005]"
// for a failure no Windows error code names.
std::string Failure(const sysops::Result& result)
{
    if (result.why == nullptr)
        return "[error " + std::to_string(result.error) + ": " + sysops::ErrorText(result.error) + "]";
    return "[" + std::string(result.why) + (result.error != 0 ? ": " + Hex(result.error) : std::string()) + "]";
}

std::string RegistryName(const Item& item)
{
    std::string name = "HKLM\\" + item.path;
    if (!item.value.empty() || item.kind == ItemKind::Value || item.kind == ItemKind::ListEntry)
        name += " /v " + (item.value.empty() ? std::string("(default)") : item.value);
    if (item.kind == ItemKind::ListEntry)
        name += " entry " + item.entry;
    else if (!item.entry.empty())
        name += " naming " + item.entry;
    return name + ViewSwitch(item.view);
}

std::string Name(const Item& item)
{
    switch (item.kind) {
    case ItemKind::Key:
    case ItemKind::Value:
    case ItemKind::ListEntry:
    case ItemKind::InstallerRecord:
        return RegistryName(item);
    case ItemKind::OutsideProgram:
        return item.path + " " + item.value;
    case ItemKind::IdentityComponent:
        return item.path + " (" + item.value + ")";
    default:
        return item.path;
    }
}

}  // namespace

Item Item::File(const std::string& path, bool native)
{
    Item item{ItemKind::File, path, {}, {}, {}};
    item.native = native;
    return item;
}

Item Item::Tree(const std::string& path) { return Item{ItemKind::Tree, path, {}, {}, {}}; }
Item Item::Folder(const std::string& path) { return Item{ItemKind::Folder, path, {}, {}, {}}; }

Item Item::Key(const std::string& key, sysops::RegistryView view)
{
    return Item{ItemKind::Key, key, {}, {}, view};
}

Item Item::Value(const std::string& key, const std::string& value, sysops::RegistryView view)
{
    return Item{ItemKind::Value, key, value, {}, view};
}

Item Item::ListEntry(const std::string& key, const std::string& value, const std::string& entry,
                     sysops::RegistryView view)
{
    return Item{ItemKind::ListEntry, key, value, entry, view};
}

Item Item::Process(const std::string& image) { return Item{ItemKind::Process, image, {}, {}, {}}; }
Item Item::Service(const std::string& name) { return Item{ItemKind::Service, name, {}, {}, {}}; }

Item Item::OutsideProgram(const std::string& path, const std::string& arguments)
{
    return Item{ItemKind::OutsideProgram, path, arguments, {}, {}};
}

Item Item::IdentityComponent(const std::string& path, const std::string& exportName)
{
    return Item{ItemKind::IdentityComponent, path, exportName, {}, {}};
}

Item Item::InstallerRecord(const std::string& key, const std::string& value, sysops::RegistryView view)
{
    return Item{ItemKind::InstallerRecord, key, value, {}, view};
}

bool Item::CanRemain() const
{
    return kind != ItemKind::OutsideProgram && kind != ItemKind::IdentityComponent;
}

bool ItemIdentity::IsOrLiesBelow(const ItemIdentity& other) const
{
    if (space == Space::None || space != other.space)
        return false;
    const bool samePath = sysops::SameText(path, other.path);
    const bool pathBelow = sysops::StartsWithText(path, other.path + "\\");
    if (other.value.empty() && other.entry.empty())
        return samePath || pathBelow;
    return samePath && sysops::SameText(value, other.value) &&
           (other.entry.empty() || sysops::SameText(entry, other.entry));
}

std::string Describe(const Item& item)
{
    return Padded(KindWord(item.kind), kKindWidth) + Name(item);
}

const char* OutcomeWord(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Removed: return "removed";
    case Outcome::AtRestart: return "at restart";
    case Outcome::WouldRemove: return "would remove";
    case Outcome::WouldSchedule: return "would schedule";
    case Outcome::NotPresent: return "not present";
    case Outcome::Kept: return "kept";
    case Outcome::Failed: return "failed";
    }
    return "";
}

void RunRecord::Note(const char* keyword, const std::string& text)
{
    Write(Padded(keyword, kKeywordWidth) + text);
}

void RunRecord::Add(const Item& item, Outcome outcome, const std::string& why, sysops::Result result)
{
    entries_.push_back(RecordEntry{item, outcome, why, result});
    std::string line = Padded(OutcomeWord(outcome), kKeywordWidth) + Describe(item);
    if (outcome == Outcome::Failed && !result.Done())
        line += "  " + Failure(result);
    if (!why.empty())
        line += "  [" + why + "]";
    Write(line);
}

std::size_t RunRecord::Count(Outcome outcome) const
{
    std::size_t count = 0;
    for (const RecordEntry& entry : entries_)
        count += entry.outcome == outcome ? 1 : 0;
    return count;
}

void RunRecord::WriteSummary()
{
    std::string counts;
    for (const Outcome outcome :
         {Outcome::Removed, Outcome::AtRestart, Outcome::WouldRemove, Outcome::WouldSchedule, Outcome::NotPresent,
          Outcome::Kept, Outcome::Failed}) {
        if (!counts.empty())
            counts += ", ";
        counts += std::to_string(Count(outcome)) + " " + OutcomeWord(outcome);
    }
    Note("summary", counts);
    Note("summary", std::to_string(residue.size()) + " still present after the run");
    for (const Item& item : residue)
        Note("residue", Describe(item));
}

void RunRecord::Write(const std::string& line)
{
    if (sink_ != nullptr)
        sink_->WriteLine(line);
}

}  // namespace uninstall
