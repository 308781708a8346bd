// A download asked to stop: the procedures look at the request only at safe points
// (before their first write, between FPGA chunks, between PROM blocks, between DONE polls,
// between read-back exchanges), never inside a wait, because a TAP left mid-operation is
// worse than a download left unfinished.
#pragma once

#include "procedures/app_state.h"
#include "procedures/verdict.h"

namespace torvane {

bool StopRequested(const AppState& state);

// Releases the lines (VEC_RELEASE) and gives Interrupted, with no verdict box.
DownloadResult StopDownload(AdapterLink& link);

}  // namespace torvane
