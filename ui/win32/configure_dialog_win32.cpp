#include "ui/win32/configure_dialog_win32.h"

#include <commctrl.h>

#include "ui/report.h"
#include "ui/resource.h"
#include "ui/win32/win32_view.h"

namespace torvane::ui {

namespace {

// One open dialog's session, view and rules: DialogBoxParam hands it to WM_INITDIALOG,
// and the dialog keeps it in its DWLP_USER slot for the messages after that.
struct OpenDialog {
  DialogSession session;
  Win32DialogView view;
  ConfigureDialog rules{*session.state, view};
};

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

}  // namespace

INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  }
  auto* open = reinterpret_cast<OpenDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (open == nullptr) {
    return 0;  // the messages that come before WM_INITDIALOG (WM_SETFONT)
  }
  Win32DialogView& view = open->view;
  switch (message) {
    case WM_INITDIALOG: {
      view.Attach(dialog);
      view.SetIcons();
      HWND pathEdit = GetDlgItem(dialog, IDC_FILE_PATH);
      SwallowEscapeIn(pathEdit);
      SendMessageA(pathEdit, EM_LIMITTEXT, PATH_EDIT_LIMIT, 0);
      view.SetInitialising(true);
      OnInitDialog(open->rules);
      view.SetInitialising(false);
      return TRUE;
    }
    case WM_CLOSE:
      // The quit message ends the modal loop; the dialog is not ended here.
      OnClose(open->rules);
      return 0;
    case WM_COMMAND:
      OnCommand(open->rules, LOWORD(wParam));
      return 0;
    default:
      return 0;
  }
}

bool ShowConfigureDialog(const DialogSession& session, HWND owner) {
  OpenDialog open{session, Win32DialogView()};
  INT_PTR result =
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIGURE), owner,
                      &ConfigureDialogProc, reinterpret_cast<LPARAM>(&open));
  if (result == -1) {
    open.view.Attach(nullptr);
    ReportLastError(open.view, MessageOwner::None);
    return false;
  }
  return true;
}

}  // namespace torvane::ui
