// The walk over the catalogue's registry lists.
#pragma once

#include "uninstall/Catalogue.h"
#include "uninstall/Run.h"

namespace uninstall {

// Removes every row of `list` whose condition holds, then makes the list's
// steps; a row of the product's whose condition does not hold is recorded
// as kept.
void RemoveRegistryRows(Run& run, const RegistryList& list, const RowContext& context);

}  // namespace uninstall
