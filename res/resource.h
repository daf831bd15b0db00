// Resource identifiers, shared by the resource script and the program.
#pragma once

#define IDD_UNINST_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_PROGRESS 1000
#define IDC_STATUS 1003
