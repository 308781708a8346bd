// The configuration dialog's window as the shared rules and the procedures see it: the
// DialogView on a Win32 dialog built from IDD_CONFIGURE. It owns nothing but the handle.
#pragma once

#include <windows.h>

#include "procedures/app_state.h"
#include "ui/dialog_view.h"
#include "ui/keep_alive_pacer.h"

namespace torvane::ui {

class Win32DialogView : public DialogView {
 public:
  // `browseCapacity`: the characters the open-file dialog may return, terminator included.
  explicit Win32DialogView(DWORD browseCapacity = PATH_CAPACITY)
      : browseCapacity_(browseCapacity) {}
  void Attach(HWND dialog) { dialog_ = dialog; }
  HWND window() const { return dialog_; }
  // While the dialog initialises, the progress range goes out as PBM_SETRANGE (16-bit
  // limits); downloads set theirs with PBM_SETRANGE32.
  void SetInitialising(bool initialising) { initialising_ = initialising; }
  // The dialog's large and small icon, IDI_APP.
  void SetIcons();

  // DialogHost
  void SetStatusLine(StatusLine line, const char* text) override;
  void SetProgressRange(uint32_t minimum, uint32_t maximum) override;
  void SetProgressPos(uint32_t position) override;
  void ShowError(MessageOwner owner, const char* text) override;
  void ShowVerdict(DownloadResult result) override;
  // DialogView
  void SetControlText(int controlId, const char* text) override;
  std::string GetControlText(int controlId) override;
  void EnableControl(int controlId, bool enabled) override;
  std::string ShowOpenFileDialog(const OpenFileRequest& request) override;
  void PostQuit(int exitCode) override;

 private:
  void ShowBox(HWND owner, const char* text, const char* caption, MessageIcon icon);
  void HandlePaintMessages();

  DWORD browseCapacity_;
  HWND dialog_ = nullptr;
  bool initialising_ = false;
  KeepAlivePacer pacer_;
};

// The open-file dialog's settings: hide read-only, path and file must exist, explorer
// style, long names.
constexpr DWORD BROWSE_FLAGS =
    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
static_assert(BROWSE_FLAGS == 0x00281804, "the open-file dialog's flags are fixed");

}  // namespace torvane::ui
