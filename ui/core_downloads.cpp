#include "ui/core_downloads.h"

#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"

namespace torvane::ui {

// The procedures show their own progress and verdict; the dialog needs nothing back.
DownloadProcedures CoreDownloadProcedures() {
  DownloadProcedures procedures;
  procedures.fpga = [](AppState& state, DialogHost& host) { DownloadFpga(state, host); };
  procedures.prom = [](AppState& state, DialogHost& host) { DownloadProm(state, host); };
  return procedures;
}

}  // namespace torvane::ui
