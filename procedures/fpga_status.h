// The FPGA's status through an instruction scan of the chain, on either chain this tool
// loads: the FPGA alone, or the FPGA behind the PROM (TDI, FPGA, PROM, TDO), where the
// PROM takes BYPASS and its eight capture bits come out first. And the clear that comes
// before a load: JPROGRAM, then INIT must rise and DONE must read 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/adapter_link.h"
#include "link/vectors.h"
#include "procedures/app_state.h"
#include "procedures/parts.h"

namespace torvane {

enum class FpgaChain : int {
  Alone,       // a 6-bit instruction register
  BehindProm,  // 14 bits: the PROM's 8 nearest TDO, then the FPGA's 6
};

constexpr uint8_t FPGA_JPROGRAM = 0x0B;
constexpr uint8_t FPGA_BYPASS = 0x3F;
// INIT gets this long to rise after JPROGRAM, polled every CLEAR_POLL_MS.
constexpr uint32_t CLEAR_BOUND_MS = 1000;
constexpr uint32_t CLEAR_POLL_MS = 5;
// The longest scan: five resets and Idle, the walk to Shift-IR, both instruction
// registers, Update-IR and Idle.
constexpr size_t MAX_IR_SCAN = 6 + 4 + PROM_IR_LENGTH + FPGA_IR_LENGTH + 2;

// What the FPGA's instruction capture said about its configuration.
struct DoneCheck {
  bool believable;  // the capture began 1, 0 as every instruction capture must
  bool done;
  bool init;
  uint8_t capture;  // the six captured bits, first out in bit 0
};

// One instruction scan ending in Run-Test/Idle, every vector ORed with `aux`: from
// Test-Logic-Reset when `fromReset` (five TMS-high clocks first), else from Run-Test/Idle.
// The PROM, if any, is given BYPASS (all ones). Returns the number of vectors.
size_t BuildIrScan(FpgaChain chain, uint8_t fpgaInstruction, PinVector aux, bool fromReset,
                   PinVector out[MAX_IR_SCAN]);

// The FPGA's capture from the synchronous samples of a BYPASS scan from Run-Test/Idle.
// Believed only when every captured bit arrived and each device's capture begins 1, 0.
DoneCheck DecodeStatusCapture(FpgaChain chain, const uint8_t* samples, size_t count);

// Sets synchronous mode and the low latency timer, scans BYPASS from Run-Test/Idle and
// waits (bounded) for its samples.
DoneCheck ReadFpgaStatus(AdapterLink& link, FpgaChain chain, PinVector aux);

// Clears the FPGA before a load, from any TAP state: JPROGRAM, then BYPASS scans until
// INIT reads high (bounded), when DONE must read 0. Leaves the TAP in Run-Test/Idle.
// False, with the cause, when the FPGA cannot be shown clear.
bool ClearFpga(AdapterLink& link, FpgaChain chain, FpgaCheck* cause);

}  // namespace torvane
