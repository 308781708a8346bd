#include "ui/win32/win32_view.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "procedures/app_state.h"

namespace torvane::ui {

namespace {
// A window procedure that leaves its update region invalid gets WM_PAINT again at once:
// a bound keeps one such window from holding the work.
constexpr int MOST_PAINTS_AT_ONCE = 64;
}  // namespace

void Win32DialogView::SetStatusLine(StatusLine line, const char* text) {
  SetDlgItemTextA(dialog_, StatusLineControl(line), text);
}

void Win32DialogView::SetProgressRange(uint32_t minimum, uint32_t maximum) {
  HWND bar = GetDlgItem(dialog_, IDC_PROGRESS);
  if (initialising_) {
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
  } else {
    SendMessageA(bar, PBM_SETRANGE32, minimum, static_cast<LPARAM>(maximum));
  }
}

void Win32DialogView::SetProgressPos(uint32_t position) {
  SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETPOS, position, 0);
  if (pacer_.Due()) HandlePaintMessages();
}

// The work runs on the dialog's thread, which takes no messages meanwhile; the system
// marks a window whose thread has not read its queue for five seconds as not responding.
// Reading it for paint messages alone repaints the windows, answers the messages other
// threads send, and tells the system the thread is alive. Clicks and keys stay queued
// until the verdict box's loop, where the box has disabled the dialog.
void Win32DialogView::HandlePaintMessages() {
  MSG message;
  for (int i = 0; i < MOST_PAINTS_AT_ONCE &&
                  PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
       ++i) {
    DispatchMessageA(&message);
  }
}

void Win32DialogView::ShowBox(HWND owner, const char* text, const char* caption,
                              MessageIcon icon) {
  UINT style = MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
  MessageBoxA(owner, text, caption, style);
}

void Win32DialogView::ShowError(MessageOwner owner, const char* text) {
  ShowBox(owner == MessageOwner::Dialog ? dialog_ : nullptr, text, ERROR_CAPTION,
          MessageIcon::Error);
}

void Win32DialogView::ShowVerdict(DownloadResult result) {
  ShowBox(dialog_, VerdictText(result), VERDICT_CAPTION, VerdictIcon(result));
}

void Win32DialogView::SetControlText(int controlId, const char* text) {
  SetDlgItemTextA(dialog_, controlId, text);
}

std::string Win32DialogView::GetControlText(int controlId) {
  HWND control = GetDlgItem(dialog_, controlId);
  int length = GetWindowTextLengthA(control);
  std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  int copied = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void Win32DialogView::EnableControl(int controlId, bool enabled) {
  EnableWindow(GetDlgItem(dialog_, controlId), enabled ? TRUE : FALSE);
}

void Win32DialogView::SetIcons() {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
  SendMessageA(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

std::string Win32DialogView::ShowOpenFileDialog(const OpenFileRequest& request) {
  // One filter: its name, its pattern, and the empty string that ends the list.
  std::string filter = std::string(request.filterName) + '\0' + request.pattern + '\0';
  std::vector<char> path(browseCapacity_, '\0');
  OPENFILENAMEA settings = {};
  settings.lStructSize = sizeof settings;
  settings.hwndOwner = nullptr;
  settings.lpstrFilter = filter.c_str();
  settings.nFilterIndex = 1;
  settings.lpstrFile = path.data();
  settings.nMaxFile = browseCapacity_;
  settings.lpstrTitle = request.title;
  settings.Flags = BROWSE_FLAGS;
  // A failure is no choice. Cancel leaves the buffer empty, but a choice longer than the
  // buffer fails with FNERR_BUFFERTOOSMALL and leaves the size it needs in the buffer's
  // first bytes, which would read as a one- or two-character path.
  if (!GetOpenFileNameA(&settings)) return std::string();
  return path.data();
}

void Win32DialogView::PostQuit(int exitCode) { PostQuitMessage(exitCode); }

}  // namespace torvane::ui
