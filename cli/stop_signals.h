// The signals that ask a download to stop. SIGINT, SIGTERM and SIGHUP raise the stop
// request the procedures look at between chunks and blocks; a second one ends the process
// at once. SIGPIPE is ignored, so a closed pipe shows as a write error on the output that
// meets it.
#pragma once

#include <atomic>

namespace torvane::cli {

// `terminalLine`: standard error shows a progress bar that a second signal must end.
void InstallStopSignals(bool terminalLine);
const std::atomic<bool>* StopRequest();
int StopSignal();  // the first signal received; 0 when none

}  // namespace torvane::cli
