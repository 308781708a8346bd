// Programs the configuration PROM that sits between the FPGA and TDO: erase, leave and
// re-enter programming mode, program the file's data in 512-byte blocks, finish.
#pragma once

#include <cstdint>

#include "bitfile/bit_file.h"
#include "procedures/app_state.h"
#include "procedures/dialog_host.h"
#include "procedures/verdict.h"

namespace torvane {

constexpr uint32_t PROM_BLOCK_BYTES = 512;
constexpr uint32_t PROM_BLOCK_COUNT = 512;  // 2,097,152 bits
constexpr uint32_t PROM_CAPACITY_BYTES = PROM_BLOCK_BYTES * PROM_BLOCK_COUNT;
constexpr uint16_t BLOCK_ADDRESS_STEP = 0x20;
constexpr uint32_t WAIT_WRITES = 750;  // one wait: 750 writes of 32 idle clocks
constexpr const char* TEXT_FILE_TOO_LARGE = "FILE TOO LARGE FOR PROM !";

// Loads the selected file (state.path), showing why when it is refused, and programs it.
DownloadResult DownloadProm(AppState& state, DialogHost& host);
// Programs a file already loaded: what is written is the file as it was loaded.
DownloadResult DownloadPromFrom(AppState& state, DialogHost& host, const BitFile& file);

}  // namespace torvane
