// What the removal catalogue's lists and rows have in common: when they
// apply, and the plain list of names most of them are.
#pragma once

#include <cstddef>

namespace uninstall {

// When a list or a row applies.
enum class When {
    Always,
    On64BitWindows,
    DriverFileFound,  // the filter driver's file was found in this run
    VendorRootEmpty,  // "Software\TQM" opens and holds nothing (asked when the row is reached)
};

// What a walk needs to know about this run to tell whether a row applies.
struct RowContext {
    bool is64BitWindows = false;
    bool driverFileFound = false;
};

// Whether `when` holds in `context`. VendorRootEmpty is the registry walk's
// own question and is false here.
bool Holds(When when, const RowContext& context);

// A fixed list of names.
struct NameList {
    const char* const* names;
    std::size_t count;
    const char* const* begin() const { return names; }
    const char* const* end() const { return names + count; }
};

template <std::size_t N>
constexpr NameList MakeList(const char* const (&names)[N])
{
    return NameList{names, N};
}

}  // namespace uninstall
