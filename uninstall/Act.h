// The run's one way to act on an item of the product. A removal removes it
// and records what became of it; a preview only looks and records whether it
// is there. Both walk the same steps in the same order with the same tests,
// so a preview lists exactly what the removal after it removes or fails to.
#pragma once

#include "uninstall/Record.h"
#include "uninstall/Run.h"

#include <string>
#include <vector>

namespace uninstall {

// Removes one item and says how that went. It refers to the caller's
// callable (a lambda) for the length of the one call it is passed to.
class Removal {
public:
    template <typename Fn>
    Removal(const Fn& fn)  // NOLINT: converts from any callable, as std::function does
        : target_(&fn), call_([](const void* target) -> sysops::Result { return (*static_cast<const Fn*>(target))(); })
    {
    }
    sysops::Result operator()() const { return call_(target_); }

private:
    const void* target_;
    sysops::Result (*call_)(const void*);
};

// In a preview: records whether `item` is there (and takes what it finds as
// gone for the looks that follow, as the removal would leave it). In a
// removal: calls `removal`, then records removed, not present or failed.
// What it recorded.
Outcome Act(Run& run, const Item& item, const Removal& removal);

// Records an item of the product the run leaves alone on purpose, and why;
// one that is not there is recorded as not present. What it recorded.
Outcome Keep(Run& run, const Item& item, const std::string& why);

// Records an item the run must not even look at (a path the install-tree
// guard refused, a share, a device), as kept, and why.
void KeepUnseen(Run& run, const Item& item, const std::string& why);

// Whether the outcome says the item was there to act on: removed, failed,
// or (in a preview) would be removed.
bool ActedOn(Outcome outcome);

// Whether `item` is there as far as this run can tell: what a preview has
// taken as gone is not.
bool IsThere(Run& run, const Item& item);

// Whether the folder holds nothing but `name` (or nothing at all) once what
// this run has taken as gone is left out; false when it is not there.
bool FolderHoldsOnly(Run& run, const std::string& folder, const char* name);

// Whether HKLM\key holds no values, and no subkeys but those this run has
// taken as gone; false when it is not there.
bool KeyHoldsNothingElse(Run& run, const std::string& key, sysops::RegistryView view);

// After a removal: every item recorded as removed or failed that is still
// there goes into the record's residue.
void CollectResidue(Run& run);

}  // namespace uninstall
