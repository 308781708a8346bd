// Reading through the PROM chain (TDI, FPGA, PROM, TDO) in scan mode: PROM instructions
// loaded with the FPGA in BYPASS, and the PROM's blocks read back, several blocks to one
// streamed exchange. The FPGA's DONE behind the PROM is read through fpga_status.h.
// Everything here runs back to Run-Test/Idle, the FPGA holding BYPASS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/jtag_scan.h"
#include "procedures/app_state.h"
#include "procedures/dialog_host.h"
#include "procedures/parts.h"

namespace torvane {

constexpr uint32_t ISC_DISABLE_MS = 110;  // the PROM leaves programming mode meanwhile
constexpr uint16_t BLOCK_ADDRESS_STEP = 0x20;  // the address register's units per block
// A read-back's exchanges carry about this many adapter bytes (whole blocks, at least
// one): long enough that a USB round trip and the latency timer's last packet are a small
// part of each, short enough (about a quarter of a second on the wire) that progress
// moves and a stop is taken soon.
constexpr size_t READ_BACK_EXCHANGE_BYTES = 128 * 1024;
// The bit-bang rate of a read-back. The chip clocks sixteen bytes per baud, so 640,000
// bytes a second: no slower than USB full speed carries the bytes out and their samples
// back, so the wire sets the pace; and a Run-Test/Idle clock (two bytes) lasts 3.125 us,
// so clocks measure the wait a read needs inside a stream. Left to the chip's default
// (9,600 baud) the read would take three times the wire's time; after a download
// (921,600) a clock would last 0.14 us.
constexpr uint32_t READ_BACK_BAUD_RATE = 40000;

// PROM instructions this file loads, beside the ones the download uses.
constexpr uint8_t PROM_ISC_ENABLE = 0xE8;
constexpr uint8_t PROM_ISC_ADDRESS_SHIFT = 0xEB;
constexpr uint8_t PROM_CONFIG = 0xEE;
constexpr uint8_t PROM_ISC_READ = 0xEF;
constexpr uint8_t PROM_ISC_DISABLE = 0xF0;

// The chain as a scan of the PROM sees it: the FPGA in BYPASS between TDI and it.
constexpr ScanChain PROM_SCAN_CHAIN{{FPGA_IR_LENGTH, PROM_IR_LENGTH}, 2, 1};

// Loads one instruction into the PROM (the FPGA in BYPASS) through an exchange, from
// `from`. False when the exchange failed.
bool LoadPromInstruction(AdapterLink& link, TapStart from, uint8_t promInstruction);

// Where a read-back sits in the progress phase it reports to: the steps before it, and
// the phase's total.
struct ReadBackSteps {
  uint32_t before;
  uint32_t total;
};

enum class ReadBack { Read, Failed, Stopped };

// From `from`, in scan mode, at READ_BACK_BAUD_RATE: ISC_ENABLE, then each block's
// ISC_ADDRESS_SHIFT, address, ISC_READ, the read's clocks and its bits shifted out, into
// `image` (`blocks` whole blocks of `prom`), streamed several blocks to an exchange;
// SetReadBackProgress after each exchange. A stop asked for is taken between exchanges.
// The PROM is left in ISC mode: the caller leaves it (LeavePromIsc) whatever the result.
ReadBack ReadPromBlocks(AppState& state, DialogHost& host, const Part& prom, uint32_t blocks,
                        TapStart from, ReadBackSteps steps, std::vector<uint8_t>* image);

// ISC_DISABLE from `from` and the time the PROM needs to leave programming mode. From
// Unknown (after an exchange that failed part way) samples left over are dropped first.
bool LeavePromIsc(AdapterLink& link, TapStart from);

// The blocks a download of `data` programs into `prom` (PromImage), into `image`; when the
// data does not fit, the "too large" box instead, and false. Checked before anything is
// sent, so an oversized design never erases the PROM.
bool PromImageOrRefuse(const Part& prom, DialogHost& host, const std::vector<uint8_t>& data,
                       std::vector<uint8_t>* image);

// The first block of `blockBytes` in which the two images differ (the shorter one's
// length counts as a difference), or -1 when they are equal.
int FirstDifferentBlock(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                        uint32_t blockBytes);

}  // namespace torvane
