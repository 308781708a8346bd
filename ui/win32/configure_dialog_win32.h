// The Win32 configuration dialog: IDD_CONFIGURE run modally with ConfigureDialogProc,
// each message forwarded to the shared dialog rules. The dialog works on the state its
// session names, carried to the dialog procedure with the window, not in globals.
#pragma once

#include <windows.h>

#include "procedures/app_state.h"
#include "ui/configure_dialog.h"

namespace torvane::ui {

// What the dialog works on.
struct DialogSession {
  AppState* state = nullptr;
};

INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally on `session` until the quit message ends it. When the dialog
// cannot be created, the system's reason goes to the event log and the result is false.
bool ShowConfigureDialog(const DialogSession& session, HWND owner = nullptr);

}  // namespace torvane::ui
