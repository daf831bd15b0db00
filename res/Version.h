/* The program's name and version, shared by the resource script and the
   code: the dialog's caption, the version information, the record and the
   boxes all say the same. Plain macros: the resource compiler reads this too. */
#pragma once

#define MORV_PRODUCT_NAME "Morvane"
#define MORV_PROGRAM_NAME "MorvUninst"
#define MORV_VERSION_TEXT "4.8"
#define MORV_VERSION_NUMBERS 4, 8, 0, 0
#define MORV_CAPTION MORV_PRODUCT_NAME " Uninstallation (Ver " MORV_VERSION_TEXT ")"
