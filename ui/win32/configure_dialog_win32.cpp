#include "ui/win32/configure_dialog_win32.h"

#include <commctrl.h>

#include "ui/report.h"
#include "ui/resource.h"
#include "ui/win32/win32_view.h"

namespace torvane::ui {

namespace {

DialogSession session;
Win32DialogView view;
constexpr const char* EDIT_PROC_PROPERTY = "TorvaneEditProc";

// The path edit without Escape: a multi-line edit in a dialog answers Escape by closing
// its dialog, and only the close box and the system menu may end this one.
LRESULT CALLBACK PathEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(GetPropA(edit, EDIT_PROC_PROPERTY));
  bool escape = wParam == VK_ESCAPE &&
                (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR);
  if (escape) {
    return 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropA(edit, EDIT_PROC_PROPERTY);
  }
  return CallWindowProcA(original, edit, message, wParam, lParam);
}

void SwallowEscapeIn(HWND edit) {
  LONG_PTR original =
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PathEditProc));
  SetPropA(edit, EDIT_PROC_PROPERTY, reinterpret_cast<HANDLE>(original));
}

ConfigureDialog Rules() { return ConfigureDialog{*session.state, view, session.downloads}; }

}  // namespace

void SetDialogSession(const DialogSession& next) { session = next; }

INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      view.Attach(dialog);
      HWND pathEdit = GetDlgItem(dialog, IDC_FILE_PATH);
      SwallowEscapeIn(pathEdit);
      SendMessageA(pathEdit, EM_LIMITTEXT, PATH_EDIT_LIMIT, 0);
      ConfigureDialog rules = Rules();
      view.SetInitialising(true);
      OnInitDialog(rules);
      view.SetInitialising(false);
      return TRUE;
    }
    case WM_CLOSE: {
      // The quit message ends the modal loop; the dialog is not ended here.
      ConfigureDialog rules = Rules();
      OnClose(rules);
      return 0;
    }
    case WM_COMMAND: {
      ConfigureDialog rules = Rules();
      OnCommand(rules, LOWORD(wParam));
      return 0;
    }
    default:
      return 0;
  }
}

bool ShowConfigureDialog(HWND owner) {
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIGURE),
                                   owner, &ConfigureDialogProc, 0);
  if (result == -1) {
    view.Attach(nullptr);
    ReportLastError(view, MessageOwner::None);
    return false;
  }
  return true;
}

}  // namespace torvane::ui
