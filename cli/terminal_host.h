// The terminal's side of the dialog seam: status lines and the verdict on standard output,
// error boxes on standard error (and as the run report's cause), and a progress bar on
// standard error (a redrawn bar on a terminal, plain lines otherwise, nothing when quiet).
// With --json standard output holds the JSON object alone: no status lines, no verdict.
#pragma once

#include <cstdint>
#include <cstdio>

#include "cli/run_report.h"
#include "procedures/dialog_host.h"

namespace torvane::cli {

class TerminalHost : public DialogHost {
 public:
  // `report` (not owned, may be null) notes each error box as a cause.
  TerminalHost(bool quiet, bool progressIsTerminal, bool json, RunReport* report);

  void SetStatusLine(StatusLine line, const char* text) override;
  void SetProgressRange(uint32_t minimum, uint32_t maximum) override;
  void SetProgressPos(uint32_t position) override;
  void ShowError(MessageOwner owner, const char* text) override;
  void ShowVerdict(DownloadResult result) override;
  // The read-back as a phase of its own, after the download's bar.
  void SetReadBackProgress(uint32_t done, uint32_t total) override;

  // Ends a drawn progress bar with a newline, so later output starts on its own line.
  void FinishProgress();

 private:
  bool quiet_;
  bool terminal_;
  bool json_;
  RunReport* report_;
  uint32_t minimum_ = 0;
  uint32_t maximum_ = 100;
  int lastPercent_ = -1;
  bool barOpen_ = false;
  const char* phase_ = "progress";
};

}  // namespace torvane::cli
