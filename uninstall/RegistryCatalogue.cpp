#include "uninstall/RegistryCatalogue.h"

#include "sysops/Registry.h"
#include "sysops/SharedValues.h"
#include "uninstall/Act.h"

namespace uninstall {
namespace {

Item ItemOf(const RegistryRow& row, sysops::RegistryView view)
{
    if (row.value == nullptr)
        return Item::Key(row.key, view);
    switch (row.rule) {
    case ValueRule::DropEntry:
        return Item::ListEntry(row.key, row.value, row.match, view);
    case ValueRule::IfNamesFile: {
        Item item = Item::Value(row.key, row.value, view);
        item.entry = row.match;
        return item;
    }
    case ValueRule::Whole:
        break;
    }
    return Item::Value(row.key, row.value, view);
}

sysops::Result RemoveRow(const RegistryRow& row, sysops::RegistryView view)
{
    switch (row.value == nullptr ? ValueRule::Whole : row.rule) {
    case ValueRule::Whole: return sysops::DeleteRegistryItem(row.key, row.value, view);
    case ValueRule::DropEntry: return sysops::RemoveListEntry(row.key, row.value, row.match, view);
    case ValueRule::IfNamesFile: return sysops::DeleteValueNamingFile(row.key, row.value, row.match, view);
    }
    return sysops::Result::Ok();
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
        const sysops::RegistryView view = run.View(row.view64);
        const Item item = ItemOf(row, view);
        const bool applies = row.when == When::VendorRootEmpty ? KeyHoldsNothingElse(run, row.key, view)
                                                                : Holds(row.when, context);
        Outcome outcome = Outcome::NotPresent;
        if (applies)
            outcome = Act(run, item, [&row, view] { return RemoveRow(row, view); });
        else if (row.when != When::VendorRootEmpty || foundAny)
            outcome = Keep(run, item, WhyKept(row.when));
        else
            run.Record().Add(item, Outcome::NotPresent);
        foundAny = foundAny || ActedOn(outcome);
    }
    run.Step(list.steps);
}

}  // namespace uninstall
