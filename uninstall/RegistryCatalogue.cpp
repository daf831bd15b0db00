#include "uninstall/RegistryCatalogue.h"

#include "sysops/Registry.h"
#include "sysops/SharedValues.h"
#include "uninstall/Act.h"

namespace uninstall {
namespace {

Item ItemOf(const Run& run, const RegistryRow& row)
{
    const unsigned long view = sysops::ViewBits(run.is64BitWindows, row.view64);
    if (row.value == nullptr)
        return Item::Key(row.key, row.view64, view);
    switch (row.rule) {
    case ValueRule::DropEntry:
        return Item::ListEntry(row.key, row.value, row.match, row.view64, view);
    case ValueRule::IfNamesFile: {
        Item item = Item::Value(row.key, row.value, row.view64, view);
        item.entry = row.match;
        return item;
    }
    case ValueRule::Whole:
        break;
    }
    return Item::Value(row.key, row.value, row.view64, view);
}

// The value calls report nothing; whether the value went is looked at afterwards.
unsigned long RemoveRow(const RegistryRow& row)
{
    if (row.value == nullptr)
        return static_cast<unsigned long>(sysops::DeleteRegistryItem(row.key, nullptr, row.view64));
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
    return 0;
}

// Why a row of the product stays when its condition does not hold.
const char* WhyKept(When when)
{
    switch (when) {
    case When::DriverFileFound: return "the filter driver's file was not found";
    case When::VendorRootEmpty: return "other software's keys or values are in it";
    default: return "not for this machine";
    }
}

bool WasThere(const RunRecord& record)
{
    const Outcome outcome = record.Entries().back().outcome;
    return outcome == Outcome::Removed || outcome == Outcome::WouldRemove || outcome == Outcome::Failed;
}

}  // namespace

void RemoveRegistryRows(Run& run, const RegistryList& list, const RowContext& context)
{
    // The vendor root is the product's to mention only when this list found
    // something of the product in it.
    bool foundAny = false;
    for (const RegistryRow& row : list) {
        // Rows for another kind of machine name nothing here.
        if (row.when == When::On64BitWindows && !context.is64BitWindows)
            continue;
        const Item item = ItemOf(run, row);
        const bool applies = row.when == When::VendorRootEmpty ? KeyHoldsNothingElse(run, row.key, row.view64)
                                                                : Holds(row.when, context);
        if (applies)
            Act(run, item, [&row] { return RemoveRow(row); });
        else if (row.when != When::VendorRootEmpty || foundAny)
            Keep(run, item, WhyKept(row.when));
        else
            run.Record().Add(item, Outcome::NotPresent);
        foundAny = foundAny || WasThere(run.Record());
    }
}

}  // namespace uninstall
