// Reading through the PROM chain (TDI, FPGA, PROM, TDO) in synchronous mode: PROM
// instructions loaded with the FPGA in BYPASS, and the PROM's blocks read back. The
// FPGA's DONE behind the PROM is read by ReadFpgaStatus (fpga_status.h).
// Everything here runs from and back to Run-Test/Idle, the FPGA holding BYPASS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/vectors.h"
#include "procedures/dialog_host.h"
#include "procedures/parts.h"

namespace torvane {

// Synchronous bit-bang returns one sample per byte written; the chip stops clocking once
// its 256-byte receive buffer is full, so no more than this is ever written unread. Two
// whole USB packets of 62 samples: the chip sends them at once, without waiting for its
// latency timer.
constexpr uint32_t SAMPLES_IN_FLIGHT = 124;
// The walk to Shift-IR, both instruction registers, Update-IR and Run-Test/Idle.
constexpr uint32_t CHAIN_SCAN_VECTORS = 4 + PROM_IR_LENGTH + FPGA_IR_LENGTH + 2;
constexpr uint32_t ISC_DISABLE_MS = 110;  // the PROM leaves programming mode meanwhile
constexpr uint16_t BLOCK_ADDRESS_STEP = 0x20;  // the address register's units per block

// PROM instructions this file loads, beside the ones the download uses.
constexpr uint8_t PROM_ISC_ENABLE = 0xE8;
constexpr uint8_t PROM_ISC_ADDRESS_SHIFT = 0xEB;
constexpr uint8_t PROM_CONFIG = 0xEE;
constexpr uint8_t PROM_ISC_READ = 0xEF;
constexpr uint8_t PROM_ISC_DISABLE = 0xF0;

// One 14-bit instruction scan from Run-Test/Idle back to it: the PROM's instruction
// first, the FPGA's BYPASS last.
void ChainInstructionScan(uint8_t promInstruction, PinVector out[CHAIN_SCAN_VECTORS]);

// Clocks the vectors out in slices of at most SAMPLES_IN_FLIGHT bytes, reading each
// slice's samples (into `samples`, 2 * count bytes, when not null) before the next is
// written. False when a write failed or samples did not come within the bound.
bool ExchangeVectors(AdapterLink& link, const PinVector* vectors, size_t count,
                     uint8_t* samples);

// Loads one instruction into the PROM (the FPGA in BYPASS) through the exchange.
bool LoadPromInstruction(AdapterLink& link, uint8_t promInstruction);

// ISC_ENABLE, then each block's ISC_ADDRESS_SHIFT, ISC_READ and its bits shifted out,
// into `image` (blocks whole blocks of `prom`); host.SetReadBackProgress after each block.
// The PROM is left in ISC mode. False when any exchange failed.
bool ReadPromBlocks(AdapterLink& link, DialogHost& host, const Part& prom, uint32_t blocks,
                    std::vector<uint8_t>* image);

// ISC_DISABLE and the time the PROM needs to leave programming mode.
bool LeavePromIsc(AdapterLink& link);

// The first block of `blockBytes` in which the two images differ (the shorter one's
// length counts as a difference), or -1 when they are equal.
int FirstDifferentBlock(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                        uint32_t blockBytes);

}  // namespace torvane
