// Configures an FPGA, alone in the chain or behind the PROM: the data of the selected ".bit"
// file is shifted into its configuration port (CFG_IN), then start-up is clocked (JSTART).
#pragma once

#include "bitfile/bit_file.h"
#include "link/vectors.h"
#include "procedures/app_state.h"
#include "procedures/dialog_host.h"
#include "procedures/fpga_status.h"
#include "procedures/verdict.h"

namespace torvane {

constexpr size_t CHUNK_BYTES = 512;  // one write of 8192 adapter bytes

// The preamble (reset, CFG_IN, to Shift-DR) and the start-up (JSTART, its clocks) tables.
extern const VectorTable FPGA_PREAMBLE;
extern const VectorTable FPGA_STARTUP;

// Clears the FPGA first (it must show INIT high and DONE low), then loads it; the verdict
// needs every write through, DONE and INIT high. What it found goes to state.report.
DownloadResult DownloadFpga(AppState& state, DialogHost& host);
// Downloads a file already loaded: what is sent is the file as it was loaded. Behind the
// PROM, the PROM holds BYPASS throughout and its memory is left as it is (volatile load).
DownloadResult DownloadFpgaFrom(AppState& state, DialogHost& host, const BitFile& file,
                                FpgaChain chain = FpgaChain::Alone);

}  // namespace torvane
