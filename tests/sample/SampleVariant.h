// Which rows exist on a machine and variant, and what a run leaves of them.
#pragma once

#include "sample/SampleRows.h"

namespace sample {

// Whether a row exists for this variant. A Win64OtherView row also needs
// the two registry views to keep separate keys at `key` (Wine, like
// Windows 7, shares a few keys such as the readers' between them).
bool Applies(When when, const Variant& variant, const char* key = nullptr);

// What a completed uninstall run must leave of an item of this fate.
bool PresentAfterRun(Fate fate, const Variant& variant);

}  // namespace sample
