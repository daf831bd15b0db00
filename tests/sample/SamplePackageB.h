// Package B's real installer database (tests/msi, built with wixl), put on
// the machine with its own msiexec so that the uninstaller meets the
// records Windows Installer really writes.
#pragma once

#include "sample/SampleLocations.h"

#include <string>

namespace sample {

// The database next to the helper programs; empty when it was not built.
std::string PackageBDatabase();

// Installs package B into the install tree. True when it is installed;
// localPackage then names msiexec's cached copy of the database. False,
// with `note` saying why, leaves nothing of it behind.
bool InstallPackageB(const Locations& where, const Variant& variant, std::string& localPackage,
                     std::string& note);

// Uninstalls package B with msiexec while its registration is whole, then
// takes away what an uninstall run leaves of it that the sample's rows do
// not name: its component records, its upgrade code and its cached database.
void RemovePackageB(const Variant& variant, const std::string& localPackage);

}  // namespace sample
