// The process scaffolding around the dialog: the "TORVANE" window class, the hidden main
// window and its procedure, and the message loop that runs until the quit message.
#pragma once

#include <windows.h>

namespace torvane::ui {

constexpr const char* MAIN_CLASS_NAME = "TORVANE";

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterMainClass(HINSTANCE instance);
// The hidden main window; never shown. Null when it cannot be created.
HWND CreateMainWindow(HINSTANCE instance);
// Retrieves and dispatches messages while GetMessage returns exactly 1; returns the
// wParam of the last message retrieved, 0 after the quit message of a normal close.
int RunMessageLoop();

}  // namespace torvane::ui
