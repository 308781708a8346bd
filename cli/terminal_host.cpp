#include "cli/terminal_host.h"

#include <cstring>

namespace torvane::cli {

namespace {
constexpr int BAR_WIDTH = 40;
}  // namespace

TerminalHost::TerminalHost(bool quiet, bool progressIsTerminal, bool json, RunReport* report)
    : quiet_(quiet), terminal_(progressIsTerminal), json_(json), report_(report) {}

void TerminalHost::SetStatusLine(StatusLine, const char* text) {
  if (!quiet_ && !json_) std::printf("%s\n", text);
}

void TerminalHost::SetProgressRange(uint32_t minimum, uint32_t maximum) {
  FinishProgress();
  minimum_ = minimum;
  maximum_ = maximum;
  lastPercent_ = -1;
  phase_ = "progress";
}

void TerminalHost::SetReadBackProgress(uint32_t done, uint32_t total) {
  if (std::strcmp(phase_, "read-back") != 0) {
    SetProgressRange(0, total);
    phase_ = "read-back";
  }
  SetProgressPos(done);
}

void TerminalHost::SetProgressPos(uint32_t position) {
  if (quiet_) return;
  uint64_t span = maximum_ > minimum_ ? maximum_ - minimum_ : 1;
  uint64_t done = position > minimum_ ? position - minimum_ : 0;
  int percent = static_cast<int>(done >= span ? 100 : done * 100 / span);
  if (percent == lastPercent_) return;  // redraw only when the figure changes
  lastPercent_ = percent;
  if (terminal_) {
    int filled = percent * BAR_WIDTH / 100;
    std::fprintf(stderr, "\r%-9s [%.*s%*s] %3d%%", phase_, filled,
                 "########################################", BAR_WIDTH - filled, "", percent);
    barOpen_ = true;
  } else if (percent % 10 == 0) {
    std::fprintf(stderr, "%s %d%%\n", phase_, percent);
  }
  std::fflush(stderr);
}

void TerminalHost::FinishProgress() {
  if (barOpen_) {
    std::fputc('\n', stderr);
    barOpen_ = false;
  }
}

void TerminalHost::ShowError(MessageOwner, const char* text) {
  FinishProgress();
  std::fprintf(stderr, "%s: %s\n", ERROR_CAPTION, text);
  if (report_) report_->Note(text);
}

void TerminalHost::ShowVerdict(DownloadResult result) {
  FinishProgress();
  if (json_) return;
  std::printf("%s\n", VerdictText(result));  // the verdict is the result: never hidden by --quiet
  std::fflush(stdout);
}

}  // namespace torvane::cli
