// The dialog seam: what the procedures need of the window they run in, in their own words:
// two status lines, a progress bar, error boxes and the verdict. Each front-end implements
// it (Win32 dialog, Qt dialog, terminal); tests use a recording one.
#pragma once

#include <cstdint>

#include "procedures/outcome.h"

namespace torvane {

enum class StatusLine { Usb, Device };

// Who owns a message box: the dialog, or nobody (the box stands on its own).
enum class MessageOwner { Dialog, None };

enum class MessageIcon { Error, Information };

constexpr const char* ERROR_CAPTION = "Error";
constexpr const char* VERDICT_CAPTION = "Operation Status";

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  virtual void SetStatusLine(StatusLine line, const char* text) = 0;
  // The progress bar: the range at the start of a download, then positions.
  virtual void SetProgressRange(uint32_t minimum, uint32_t maximum) = 0;
  virtual void SetProgressPos(uint32_t position) = 0;
  // A modal box captioned ERROR_CAPTION with the error icon; returns once dismissed.
  virtual void ShowError(MessageOwner owner, const char* text) = 0;
  // The verdict of a download (Complete or Failed): a modal box owned by the dialog,
  // captioned VERDICT_CAPTION, with VerdictText and VerdictIcon; returns once dismissed.
  virtual void ShowVerdict(DownloadResult result) = 0;
  // The check after a PROM download, or a read-back on its own, as a phase of its own
  // after the download's bar: `done` of `total` steps (the check's DONE polls, then each
  // block read back), from (0, total) at its start; (total, total) when it ran to its
  // end, earlier when a failure or a stop cut it short.
  virtual void SetReadBackProgress(uint32_t /*done*/, uint32_t /*total*/) {}
};

// The information icon for a complete download, the error icon for any other.
MessageIcon VerdictIcon(DownloadResult result);

}  // namespace torvane
