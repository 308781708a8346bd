// The FPGA's status through an instruction scan of the chain, on either chain this tool
// loads: the FPGA alone, or the FPGA behind the PROM (TDI, FPGA, PROM, TDO), where the
// PROM takes BYPASS and its eight capture bits come out first. And the clear that comes
// before a load: JPROGRAM, then INIT must rise and DONE must read 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/adapter_link.h"
#include "link/jtag_scan.h"
#include "procedures/app_state.h"
#include "procedures/parts.h"

namespace torvane {

enum class FpgaChain : int {
  Alone,       // a 6-bit instruction register
  BehindProm,  // 14 bits: the PROM's 8 nearest TDO, then the FPGA's 6
};

constexpr uint8_t FPGA_CFG_IN = 0x05;
constexpr uint8_t FPGA_JPROGRAM = 0x0B;
constexpr uint8_t FPGA_JSTART = 0x0C;
constexpr uint8_t FPGA_BYPASS = 0x3F;
// INIT gets this long to rise after JPROGRAM, polled every CLEAR_POLL_MS.
constexpr uint32_t CLEAR_BOUND_MS = 1000;
constexpr uint32_t CLEAR_POLL_MS = 5;

// The chain as a scan of the FPGA sees it.
ScanChain FpgaScanChain(FpgaChain chain);

// What the FPGA's instruction capture said about its configuration.
struct DoneCheck {
  bool believable;  // the capture began 1, 0 as every instruction capture must
  bool done;
  bool init;
  uint8_t capture;  // the six captured bits, first out in bit 0
};

// The BYPASS scan from Run-Test/Idle that reads the FPGA's status, every vector ORed with
// `held`; back in Run-Test/Idle.
ScanPlace AppendStatusScan(std::vector<PinVector>* out, FpgaChain chain, PinVector held);

// The FPGA's capture from the samples of the scan at `place`. Believed only when every
// captured bit arrived and each device's capture begins 1, 0.
DoneCheck DecodeStatusCapture(const ScanPlace& place, const uint8_t* samples, size_t count);

// Sets scan mode (EnterScanMode), scans BYPASS from Run-Test/Idle and reads the capture.
DoneCheck ReadFpgaStatus(AdapterLink& link, FpgaChain chain, PinVector held);

// Streams `scan`, which ends with a status scan at `place`, and reads the capture; an
// exchange that fails gives a capture that is not believed.
DoneCheck ExchangeStatus(AdapterLink& link, const std::vector<PinVector>& scan,
                         const ScanPlace& place);

// Clears the FPGA before a load, from any TAP state: JPROGRAM, then BYPASS scans until
// INIT reads high (bounded), when DONE must read 0. Leaves the TAP in Run-Test/Idle.
// False, with the cause, when the FPGA cannot be shown clear.
bool ClearFpga(AdapterLink& link, FpgaChain chain, FpgaCheck* cause);

}  // namespace torvane
