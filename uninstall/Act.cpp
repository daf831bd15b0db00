#include "uninstall/Act.h"

#include "sysops/FsRedirection.h"
#include "sysops/PathText.h"
#include "sysops/Presence.h"
#include "sysops/Processes.h"
#include "sysops/Registry.h"
#include "sysops/SharedValues.h"

#include <windows.h>

namespace uninstall {
namespace {

// Identities tell whether two items are one thing: a file named in two
// letter cases, or a registry key that both views share. A preview takes
// an item as gone by its identity, and anything below it with it.
std::string UpperCase(std::string text)
{
    if (!text.empty())
        CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string KeyIdentity(const Item& item)
{
    return "K|" + sysops::KeyIdentity(item.path.c_str(), item.viewBits);
}

std::string Identity(const Item& item)
{
    switch (item.kind) {
    case ItemKind::File:
    case ItemKind::Tree:
    case ItemKind::Folder:
        return std::string(item.native ? "N|" : "F|") + UpperCase(item.path);
    case ItemKind::Key:
        return KeyIdentity(item);
    case ItemKind::Value:
    case ItemKind::InstallerRecord:
        return item.value.empty() && item.kind == ItemKind::InstallerRecord
                   ? KeyIdentity(item)
                   : KeyIdentity(item) + "\\|V|" + UpperCase(item.value);
    case ItemKind::ListEntry:
        return KeyIdentity(item) + "\\|V|" + UpperCase(item.value) + "|E|" + UpperCase(item.entry);
    case ItemKind::Process:
        return "P|" + UpperCase(item.path);
    case ItemKind::Service:
        return "S|" + UpperCase(item.path);
    case ItemKind::OutsideProgram:
    case ItemKind::IdentityComponent:
        break;
    }
    return std::string();
}

// Whether the identity, or one it lies below, was taken as gone.
bool TakenAsGone(const Run& run, const std::string& identity)
{
    if (identity.empty())
        return false;
    for (const std::string& gone : run.takenAsGone) {
        const bool below = identity.size() > gone.size() && identity[gone.size()] == '\\';
        if ((identity.size() == gone.size() || below) && identity.compare(0, gone.size(), gone) == 0)
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
        return sysops::KeyMayExist(item.path.c_str(), item.viewBits);
    case ItemKind::Value:
        if (!item.entry.empty())
            return sysops::ValueNamesFile(item.path.c_str(), item.value.c_str(), item.entry.c_str(), item.view64);
        return sysops::ValueMayExist(item.path.c_str(), item.value.c_str(), item.viewBits);
    case ItemKind::ListEntry:
        return sysops::ListHoldsEntry(item.path.c_str(), item.value.c_str(), item.entry.c_str(), item.view64);
    case ItemKind::InstallerRecord:
        if (item.value.empty())
            return sysops::KeyMayExist(item.path.c_str(), item.viewBits);
        return sysops::ValueMayExist(item.path.c_str(), item.value.c_str(), item.viewBits);
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

void Preview(Run& run, const Item& item)
{
    if (!IsThere(run, item)) {
        run.Record().Add(item, Outcome::NotPresent);
        return;
    }
    run.Record().Add(item, Outcome::WouldRemove);
    const std::string identity = Identity(item);
    if (!identity.empty())
        run.takenAsGone.push_back(identity);
}

void Remove(Run& run, const Item& item, const Removal& removal)
{
    const bool before = Probe(run, item);
    const Done done = removal();
    if (!before) {
        run.Record().Add(item, Outcome::NotPresent);
        return;
    }
    const bool failed = item.CanRemain() ? Probe(run, item) : !done.Succeeded();
    if (failed && (done.error != ERROR_SUCCESS || !done.why.empty()))
        run.Record().Add(item, Outcome::Failed, done.why, done.error);
    else if (failed)
        run.Record().Add(item, Outcome::Failed, kStillThere);
    else
        run.Record().Add(item, Outcome::Removed);
}

}  // namespace

void Act(Run& run, const Item& item, const Removal& removal)
{
    if (run.IsPreview())
        Preview(run, item);
    else
        Remove(run, item, removal);
}

void Keep(Run& run, const Item& item, const std::string& why)
{
    if (IsThere(run, item))
        run.Record().Add(item, Outcome::Kept, why);
    else
        run.Record().Add(item, Outcome::NotPresent);
}

void KeepUnseen(Run& run, const Item& item, const std::string& why)
{
    run.Record().Add(item, Outcome::Kept, why);
}

bool IsThere(Run& run, const Item& item)
{
    if (run.IsPreview() && TakenAsGone(run, Identity(item)))
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
        if (sysops::EqualsNoCase(entry.c_str(), name) || !sysops::JoinPath(folder, entry.c_str(), path, sysops::kFilePathBufferSize))
            continue;
        if (!TakenAsGone(run, Identity(Item::File(path))))
            return false;
    }
    return true;
}

bool KeyHoldsNothingElse(Run& run, const std::string& key, int view64)
{
    const unsigned long view = sysops::ViewBits(run.is64BitWindows, view64);
    std::vector<std::string> subkeys;
    unsigned long values = 0;
    if (!sysops::ReadKeyContents(key.c_str(), view, subkeys, values) || values != 0)
        return false;
    for (const std::string& name : subkeys) {
        if (!TakenAsGone(run, KeyIdentity(Item::Key(key + "\\" + name, view64, view))))
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
