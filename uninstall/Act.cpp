#include "uninstall/Act.h"

#include "sysops/FsRedirection.h"
#include "sysops/PathText.h"
#include "sysops/Presence.h"
#include "sysops/Processes.h"
#include "sysops/Registry.h"
#include "sysops/Restart.h"
#include "sysops/SharedValues.h"


namespace uninstall {
namespace {

ItemIdentity KeyIdentity(const Item& item)
{
    ItemIdentity identity;
    identity.space = ItemIdentity::Space::Registry;
    identity.path = sysops::KeyIdentity(item.path.c_str(), item.view);
    return identity;
}

ItemIdentity IdentityOf(const Item& item)
{
    ItemIdentity identity;
    switch (item.kind) {
    case ItemKind::File:
    case ItemKind::Tree:
    case ItemKind::Folder:
        identity.space = item.native ? ItemIdentity::Space::NativeFiles : ItemIdentity::Space::Files;
        identity.path = item.path;
        break;
    case ItemKind::Key:
    case ItemKind::Value:
    case ItemKind::InstallerRecord:
    case ItemKind::ListEntry:
        identity = KeyIdentity(item);
        identity.value = item.kind == ItemKind::Key ? std::string() : item.value;
        identity.entry = item.kind == ItemKind::ListEntry ? item.entry : std::string();
        break;
    case ItemKind::Process:
        identity.space = ItemIdentity::Space::Processes;
        identity.path = item.path;
        break;
    case ItemKind::Service:
        identity.space = ItemIdentity::Space::Services;
        identity.path = item.path;
        break;
    case ItemKind::OutsideProgram:
    case ItemKind::IdentityComponent:
        break;
    }
    return identity;
}

// Whether the identity, or one it lies below, was taken as gone.
bool TakenAsGone(const Run& run, const ItemIdentity& identity)
{
    for (const ItemIdentity& gone : run.takenAsGone) {
        if (identity.IsOrLiesBelow(gone))
            return true;
    }
    return false;
}

bool Probe(const Run& run, const Item& item)
{
    switch (item.kind) {
    case ItemKind::File:
    case ItemKind::Tree:
    case ItemKind::Folder: {
        const sysops::ScopedFsRedirectionOff redirection(item.native && run.is64BitWindows);
        return sysops::PathMayExist(item.path);
    }
    case ItemKind::Key:
        return sysops::KeyMayExist(item.path.c_str(), item.view);
    case ItemKind::Value:
        if (!item.entry.empty())
            return sysops::ValueNamesFile(item.path.c_str(), item.value.c_str(), item.entry.c_str(), item.view);
        return sysops::ValueMayExist(item.path.c_str(), item.value.c_str(), item.view);
    case ItemKind::ListEntry:
        return sysops::ListHoldsEntry(item.path.c_str(), item.value.c_str(), item.entry.c_str(), item.view);
    case ItemKind::InstallerRecord:
        if (item.value.empty())
            return sysops::KeyMayExist(item.path.c_str(), item.view);
        return sysops::ValueMayExist(item.path.c_str(), item.value.c_str(), item.view);
    case ItemKind::Process:
        return sysops::CountProcessesByName(item.path.c_str()) != 0;
    case ItemKind::Service:
        return sysops::ServiceMayExist(item.path.c_str());
    case ItemKind::OutsideProgram:
    case ItemKind::IdentityComponent:
        // The caller acts on these only when what they need is there.
        return true;
    }
    return true;
}

// Why an item is still there after a removal call that reported success.
constexpr char kStillThere[] = "still there after a removal that reported success: in use, it goes once closed";

Outcome Record(Run& run, const Item& item, Outcome outcome, const std::string& why = std::string(),
               sysops::Result result = sysops::Result::Ok())
{
    run.Record().Add(item, outcome, why, result);
    return outcome;
}

// Whether a file or folder is already to be deleted at the next restart.
bool LeftToTheRestart(const Run& run, const Item& item)
{
    if (item.kind != ItemKind::File && item.kind != ItemKind::Tree && item.kind != ItemKind::Folder)
        return false;
    const sysops::ScopedFsRedirectionOff redirection(item.native && run.is64BitWindows);
    return sysops::IsScheduledForRestart(item.path);
}

Outcome Preview(Run& run, const Item& item)
{
    if (!IsThere(run, item))
        return Record(run, item, Outcome::NotPresent);
    const ItemIdentity identity = IdentityOf(item);
    if (identity.space != ItemIdentity::Space::None)
        run.takenAsGone.push_back(identity);
    return Record(run, item, LeftToTheRestart(run, item) ? Outcome::WouldSchedule : Outcome::WouldRemove);
}

Outcome Remove(Run& run, const Item& item, const Removal& removal)
{
    const bool before = Probe(run, item);
    const sysops::Result result = removal();
    if (result.Scheduled())
        return Record(run, item, Outcome::AtRestart);
    if (!before)
        return Record(run, item, Outcome::NotPresent);
    const bool failed = item.CanRemain() ? Probe(run, item) : !result.Done();
    if (failed && !result.Done())
        return Record(run, item, Outcome::Failed, std::string(), result);
    if (failed)
        return Record(run, item, Outcome::Failed, kStillThere);
    return Record(run, item, Outcome::Removed);
}

}  // namespace

Outcome Act(Run& run, const Item& item, const Removal& removal)
{
    return run.IsPreview() ? Preview(run, item) : Remove(run, item, removal);
}

Outcome Keep(Run& run, const Item& item, const std::string& why)
{
    return IsThere(run, item) ? Record(run, item, Outcome::Kept, why) : Record(run, item, Outcome::NotPresent);
}

bool ActedOn(Outcome outcome)
{
    return outcome == Outcome::Removed || outcome == Outcome::AtRestart || outcome == Outcome::WouldRemove ||
           outcome == Outcome::WouldSchedule || outcome == Outcome::Failed;
}

void KeepUnseen(Run& run, const Item& item, const std::string& why)
{
    run.Record().Add(item, Outcome::Kept, why);
}

bool IsThere(Run& run, const Item& item)
{
    if (run.IsPreview() && TakenAsGone(run, IdentityOf(item)))
        return false;
    return Probe(run, item);
}

bool FolderHoldsOnly(Run& run, const std::string& folder, const char* name)
{
    std::vector<std::string> names;
    if (!sysops::ReadFolderContents(folder, names))
        return false;
    for (const std::string& entry : names) {
        std::string path;
        if (sysops::SameText(entry, name) || !sysops::JoinPath(folder, entry.c_str(), path, sysops::kFilePathBufferSize))
            continue;
        if (!TakenAsGone(run, IdentityOf(Item::File(path))))
            return false;
    }
    return true;
}

bool KeyHoldsNothingElse(Run& run, const std::string& key, sysops::RegistryView view)
{
    std::vector<std::string> subkeys;
    unsigned long values = 0;
    if (!sysops::ReadKeyContents(key.c_str(), view, subkeys, values) || values != 0)
        return false;
    for (const std::string& name : subkeys) {
        if (!TakenAsGone(run, KeyIdentity(Item::Key(key + "\\" + name, view))))
            return false;
    }
    return true;
}

void CollectResidue(Run& run)
{
    for (const RecordEntry& entry : run.Record().Entries()) {
        const bool actedOn = entry.outcome == Outcome::Removed || entry.outcome == Outcome::Failed;
        if (actedOn && entry.item.CanRemain() && Probe(run, entry.item))
            run.Record().residue.push_back(entry.item);
    }
}

}  // namespace uninstall
