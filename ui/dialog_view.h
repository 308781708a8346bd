// What the shared dialog rules need of a toolkit's window: control texts and enabled
// states, the open-file dialog and the end of the process. A view is also the DialogHost
// the procedures write their status lines, progress and message boxes to. The window's
// icon is the toolkit's own business.
#pragma once

#include <string>

#include "procedures/dialog_host.h"
#include "ui/resource.h"

namespace torvane::ui {

struct OpenFileRequest {
  const char* title;        // the dialog's caption
  const char* filterName;   // the one filter as the user reads it
  const char* pattern;      // its pattern
};

// The edit control that shows a status line.
constexpr int StatusLineControl(StatusLine line) {
  return line == StatusLine::Usb ? IDC_USB_STATUS : IDC_DEVICE_STATUS;
}

class DialogView : public DialogHost {
 public:
  virtual void SetControlText(int controlId, const char* text) = 0;
  virtual std::string GetControlText(int controlId) = 0;
  virtual void EnableControl(int controlId, bool enabled) = 0;
  // Shows the system's open-file dialog, with no owner; returns the chosen path, or an
  // empty string when the user cancelled.
  virtual std::string ShowOpenFileDialog(const OpenFileRequest& request) = 0;
  // Ends the application's message loop; the process exits with this code.
  virtual void PostQuit(int exitCode) = 0;

  // The check after a PROM download and a read-back are a phase of their own: the bar
  // runs again from the start, over `total`.
  void SetReadBackProgress(uint32_t done, uint32_t total) override {
    SetProgressRange(0, total);
    SetProgressPos(done);
  }
};

}  // namespace torvane::ui
