// The machine's own Windows Installer.
#pragma once

#include <string>

namespace machine {

// Where Windows Installer keeps each user's records of installed products.
constexpr char kUserDataKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData";
// Package A's product code as the Installer packs it, and another product's.
constexpr char kPackageAPacked[] = "72A3F1B659C4D0E4A9263D8E07C5B149";
constexpr char kOtherProductPacked[] = "0F1E2D3C4B5A69788796A5B4C3D2E1F0";

// The records' key of the user `sid`, and of one of its components.
std::string InstallerUserKey(const std::string& sid);
std::string InstallerComponentKey(const std::string& sid, const std::string& component);

// Runs "msiexec.exe <arguments> /qn" and waits for it, bounded: installs
// take several seconds under Wine, and a hung one must not hang the tests.
// Its exit code, or -1.
int Msiexec(const std::string& arguments);

}  // namespace machine
