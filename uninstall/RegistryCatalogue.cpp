#include "uninstall/RegistryCatalogue.h"

#include "sysops/Registry.h"
#include "sysops/SharedValues.h"

namespace uninstall {
namespace {

bool Applies(const RegistryRow& row, const RowContext& context)
{
    if (row.when == When::VendorRootEmpty)
        return sysops::IsRegistryKeyEmpty(row.key, row.view64) == 1;
    return Holds(row.when, context);
}

void RemoveRow(const RegistryRow& row)
{
    if (row.value == nullptr) {
        sysops::DeleteRegistryItem(row.key, nullptr, row.view64);
        return;
    }
    switch (row.rule) {
    case ValueRule::Whole:
        sysops::DeleteRegistryItem(row.key, row.value, row.view64);
        break;
    case ValueRule::DropEntry:
        sysops::RemoveListEntry(row.key, row.value, row.match, row.view64);
        break;
    case ValueRule::IfNamesFile:
        sysops::DeleteValueNamingFile(row.key, row.value, row.match, row.view64);
        break;
    }
}

}  // namespace

void RemoveRegistryRows(const RegistryList& list, const RowContext& context)
{
    for (const RegistryRow& row : list) {
        if (Applies(row, context))
            RemoveRow(row);
    }
}

}  // namespace uninstall
