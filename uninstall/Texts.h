// What the program says to the user, in one place: the dialog's status
// lines, the boxes and their captions, exactly as they stand.
#pragma once

#include "res/Version.h"

namespace texts {

// The dialog and the run.
constexpr char kCaption[] = MORV_CAPTION;
constexpr char kPrompt[] = "Click OK to uninstall.";
constexpr char kRunning[] = "Uninstalling...";
constexpr char kFinal[] =
    MORV_PRODUCT_NAME " has been removed successfuly.\n\nPlease Reboot the computer to complete the operation.";
constexpr char kFinalCaption[] = "Information";

// Failures before or during the run.
constexpr char kErrorCaption[] = "Error";
constexpr char kUnsupportedWindows[] = "Unsupported Operating System !";
constexpr char kNoWindir[] = "Unable to find WINDIR variable. Program will abort !";
constexpr char kNoSysWow64[] = "Unable to find Windows SysWOW64 Directory. Program will abort !";
constexpr char kNoSystemDir[] = "Unable to find Windows System Directory. Program will abort !";

// /debug: the command line, the locations and the references stage.
constexpr char kArgumentCaption[] = "Command Line Argument";
constexpr char kWindirCaption[] = "Environment Variable WINDIR";
constexpr char kSysWow64Caption[] = "Windows SysWOW64 Directory";
constexpr char kSystemDirCaption[] = "Windows System Directory";
constexpr char kProgramFilesCaption[] = "Environment Variable PROGRAMFILES";
constexpr char kInstallDirCaption[] = MORV_PRODUCT_NAME " Directory";
constexpr char kDeleteText[] = "Delete 32-bit shared dll's";
constexpr char kDeleteCaption[] = "Delete";

// The record's file.
constexpr char kRecordCaption[] = "Record";
constexpr char kRecordNoFolder[] = "The record cannot be written: no folder for it is known.";
constexpr char kRecordCannotWrite[] = "The record cannot be written to ";  // the path and a full stop follow

// /preview's box.
constexpr char kNothingFound[] = "Nothing of " MORV_PRODUCT_NAME " was found on this computer.";
constexpr char kItemsFound[] = " items of " MORV_PRODUCT_NAME " were found on this computer.";  // after the count
constexpr char kNothingChanged[] = "\n\nNothing was changed.";
constexpr char kRecordIsIn[] = " The record is in ";
constexpr char kRecordCouldNotBeWritten[] = " The record could not be written to ";
constexpr char kRecordHasNoFolder[] = " The record could not be written: no folder for it is known.";

}  // namespace texts
