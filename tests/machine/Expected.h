// What the program shows, as a user reads it: the one place the tests and
// the demonstration take its texts from. Its control ids come from
// res/resource.h (IDOK and IDCANCEL from windows.h).
#pragma once

#include <string>
#include <vector>

namespace machine {
namespace expected {

inline constexpr char kDialogTitle[] = "Morvane Uninstallation (Ver 4.8)";
inline constexpr char kReadyStatus[] = "Click OK to uninstall.";
inline constexpr char kRunningStatus[] = "Uninstalling...";
// The bar runs from 0 to here, and is there when the final box comes.
inline constexpr int kBarEnd = 50;

inline constexpr char kInformationCaption[] = "Information";
inline constexpr char kFinalText[] =
    "Morvane has been removed successfuly.\n\nPlease Reboot the computer to complete the operation.";
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kUnsupportedText[] = "Unsupported Operating System !";
inline constexpr char kNoWindirText[] = "Unable to find WINDIR variable. Program will abort !";
inline constexpr char kNoSysWow64Text[] = "Unable to find Windows SysWOW64 Directory. Program will abort !";
inline constexpr char kNoSystemDirText[] = "Unable to find Windows System Directory. Program will abort !";
inline constexpr char kArgumentCaption[] = "Command Line Argument";
// A preview's one box on a machine without the product, up to the record's path.
inline constexpr char kNothingFoundText[] =
    "Nothing of Morvane was found on this computer.\n\nNothing was changed. The record is in ";
inline constexpr char kDeleteCaption[] = "Delete";
inline constexpr char kDeleteText[] = "Delete 32-bit shared dll's";

// The captions of a debug run's location boxes, in the order they come.
inline constexpr char kWindirCaption[] = "Environment Variable WINDIR";
inline constexpr char kSysWow64Caption[] = "Windows SysWOW64 Directory";
inline constexpr char kSystemDirCaption[] = "Windows System Directory";
inline constexpr char kProgramFilesCaption[] = "Environment Variable PROGRAMFILES";
inline constexpr char kInstallDirCaption[] = "Morvane Directory";

// The file's version information, as Explorer shows it.
inline constexpr char kFileDescription[] = "Morvane Uninstallation";
inline constexpr char kFileVersion[] = "4.8";

// A box as the tests write it down: "caption: text".
std::string Box(const std::string& caption, const std::string& text);

// A debug run's location boxes on this machine, up to the program-files
// one, as WINDIR, PROGRAMFILES and the machine's bitness give them.
std::vector<std::string> LocationBoxes();

}  // namespace expected
}  // namespace machine
