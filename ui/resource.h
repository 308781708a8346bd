// Resource identifiers of the configuration dialog and the application icon. Only
// #define lines: the resource compiler reads this file as well as the C++ compiler.
// The control identifiers (IDC_*) are the ControlId enum of procedures/dialog_host.h.
#pragma once

#define IDD_CONFIGURE 101
#define IDI_APP 103
