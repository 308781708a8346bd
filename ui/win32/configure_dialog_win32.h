// The Win32 configuration dialog: IDD_CONFIGURE run modally with ConfigureDialogProc,
// each message forwarded to the shared dialog rules. The dialog works on the process-wide
// state its session names; there is one dialog at a time.
#pragma once

#include <windows.h>

#include "procedures/app_state.h"
#include "ui/configure_dialog.h"

namespace torvane::ui {

// What the dialog works on: set before ShowConfigureDialog.
struct DialogSession {
  AppState* state = nullptr;
};
void SetDialogSession(const DialogSession& session);

INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally until the quit message ends it. When the dialog cannot be
// created, the system's reason goes to the event log and the result is false.
bool ShowConfigureDialog(HWND owner = nullptr);

}  // namespace torvane::ui
