// torvane.exe: the configuration dialog on the USB adapter through the vendor's driver.
// The process lives inside the dialog; closing it ends the process with code 0. The
// command line is not used.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "cable/cable.h"
#include "procedures/app_state.h"
#include "ui/win32/app_shell.h"
#include "ui/win32/configure_dialog_win32.h"

namespace {
HINSTANCE appInstance;
HWND mainWindow;
torvane::AppState appState;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int) {
  using namespace torvane::ui;
  if (previousInstance == nullptr && !RegisterMainClass(instance)) {
    return 0;
  }
  appInstance = instance;
  mainWindow = CreateMainWindow(appInstance);
  if (mainWindow == nullptr) {
    return 0;
  }
  // The progress bar's window class.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  // Never unloaded, and the adapter handle is never closed at exit: both live as long as
  // the process.
  std::string noBackend;
  static std::unique_ptr<torvane::Adapter> adapter = torvane::MakeCable(&noBackend);
  appState.link.adapter = adapter.get();
  if (!ShowConfigureDialog({&appState})) {
    return 0;
  }
  return RunMessageLoop();
}
