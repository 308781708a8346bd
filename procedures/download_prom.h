// Programs the configuration PROM that sits between the FPGA and TDO: erase, leave and
// re-enter programming mode, program the file's data block by block, finish.
#pragma once

#include <cstdint>

#include "bitfile/bit_file.h"
#include "procedures/app_state.h"
#include "procedures/dialog_host.h"
#include "procedures/verdict.h"

namespace torvane {

constexpr uint32_t WAIT_WRITES = 750;  // one wait: 750 writes of 32 idle clocks

// Loads the selected file (state.path), showing why when it is refused, and programs it.
DownloadResult DownloadProm(AppState& state, DialogHost& host);
// Programs a file already loaded: what is written is the file as it was loaded.
DownloadResult DownloadPromFrom(AppState& state, DialogHost& host, const BitFile& file);

}  // namespace torvane
