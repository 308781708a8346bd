// The dialog seam: what the procedures need of the window they run in. Each front-end
// implements it (Win32 dialog, Qt dialog, terminal); tests use a recording one.
#pragma once

#include <cstdint>

namespace torvane {

// Control identifiers of the configuration dialog that the procedures write to.
enum ControlId : int {
  IDC_DOWNLOAD = 1009,
  IDC_BROWSE = 1010,
  IDC_FILE_PATH = 1012,
  IDC_USB_STATUS = 1061,
  IDC_DEVICE_STATUS = 1064,
  IDC_CONNECT = 1090,
  IDC_PROGRESS = 1091,
};

enum class MessageIcon { Error, Information };

// Who owns a message box: the dialog, or nobody (the box stands on its own).
enum class MessageOwner { Dialog, None };

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  // Sets the text of one of the two status lines (IDC_USB_STATUS, IDC_DEVICE_STATUS).
  virtual void SetStatusText(int controlId, const char* text) = 0;
  // The progress bar: the range at the start of a download, then positions.
  virtual void SetProgressRange(uint32_t minimum, uint32_t maximum) = 0;
  virtual void SetProgressPos(uint32_t position) = 0;
  // A modal message box; returns once the user has dismissed it.
  virtual void ShowMessage(MessageOwner owner, const char* text, const char* caption,
                           MessageIcon icon) = 0;
  // The PROM read back block by block, after the bar has reached its end. The dialogs
  // keep the bar where it is; a terminal shows the read-back as a phase of its own.
  virtual void SetReadBackProgress(uint32_t /*blocks*/, uint32_t /*total*/) {}
};

// A modal "Error" box with the error icon.
void ReportError(DialogHost& host, MessageOwner owner, const char* text);

}  // namespace torvane
