// The end of every download: the verdict box, decided on what the adapter (and, after a
// configuration, the FPGA itself) reports.
#pragma once

#include "procedures/app_state.h"
#include "procedures/dialog_host.h"
#include "procedures/fpga_status.h"

namespace torvane {

// The verdict of a configuration: waits, queries the receive count, reads DONE and INIT
// through `chain` (recording what it found in state.report), shows the verdict box and
// releases the lines after a failure. `incomplete`: a write failed, so the FPGA cannot
// hold what it should, whatever the adapter answers.
DownloadResult GiveFpgaVerdict(AppState& state, DialogHost& host, FpgaChain chain,
                               bool incomplete);

// Shows the verdict box and, after a failure, releases the lines.
DownloadResult EndWithVerdict(AppState& state, DialogHost& host, bool complete);

}  // namespace torvane
