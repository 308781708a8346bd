#include "procedures/fpga_status.h"

namespace torvane {

namespace {

// Select-DR-Scan, Select-IR-Scan, Capture-IR, Shift-IR: the first shift vector follows.
constexpr size_t WALK_TO_SHIFT = 4;
constexpr uint8_t CAPTURE_INIT = 0x10;
constexpr uint8_t CAPTURE_DONE = 0x20;

int ChainBits(FpgaChain chain) {
  return chain == FpgaChain::BehindProm ? PROM_IR_LENGTH + FPGA_IR_LENGTH : FPGA_IR_LENGTH;
}

// Samples of a scan of `vectors` vectors: two per vector, at most one scan's worth.
constexpr size_t MAX_SAMPLES = 2 * MAX_IR_SCAN;

}  // namespace

size_t BuildIrScan(FpgaChain chain, uint8_t fpgaInstruction, PinVector aux, bool fromReset,
                   PinVector out[MAX_IR_SCAN]) {
  size_t n = 0;
  if (fromReset) {
    for (int i = 0; i < 5; ++i) out[n++] = PIN_TMS;
    out[n++] = 0;
  }
  out[n++] = PIN_TMS;
  out[n++] = PIN_TMS;
  out[n++] = 0;
  out[n++] = 0;
  // The first bits clocked travel furthest: the PROM's instruction goes in first.
  int bits = ChainBits(chain);
  int promBits = bits - FPGA_IR_LENGTH;
  for (int i = 0; i < bits; ++i) {
    bool one = i < promBits || ((fpgaInstruction >> (i - promBits)) & 1) != 0;
    out[n++] = static_cast<PinVector>((one ? PIN_TDI : 0) | (i == bits - 1 ? PIN_TMS : 0));
  }
  out[n++] = PIN_TMS;  // Update-IR
  out[n++] = 0;        // Run-Test/Idle
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<PinVector>(out[i] | aux);
  return n;
}

DoneCheck DecodeStatusCapture(FpgaChain chain, const uint8_t* samples, size_t count) {
  // TDO shows shifted bit i just after the falling edge of the first shift vector + i.
  int bits = ChainBits(chain);
  uint32_t shifted = 0;
  for (int i = 0; i < bits; ++i) {
    size_t at = 2 * (WALK_TO_SHIFT + static_cast<size_t>(i)) + 1;
    if (at < count && (samples[at] & PIN_TDO)) shifted |= uint32_t{1} << i;
  }
  int promBits = bits - FPGA_IR_LENGTH;
  uint8_t capture = static_cast<uint8_t>((shifted >> promBits) & 0x3F);
  bool promRight = promBits == 0 || (shifted & 0x3) == 0x1;
  bool complete = count >= 2 * (WALK_TO_SHIFT + static_cast<size_t>(bits));
  bool believable = complete && promRight && (capture & 0x3) == 0x1;
  return DoneCheck{believable, believable && (capture & CAPTURE_DONE) != 0,
                   believable && (capture & CAPTURE_INIT) != 0, capture};
}

namespace {

// One BYPASS scan from Run-Test/Idle and its samples; nothing is read when the write
// failed, since no sample of it can come.
DoneCheck ScanStatus(AdapterLink& link, FpgaChain chain, PinVector aux) {
  PinVector scan[MAX_IR_SCAN];
  size_t n = BuildIrScan(chain, FPGA_BYPASS, aux, /*fromReset=*/false, scan);
  uint8_t samples[MAX_SAMPLES] = {};
  uint32_t got = 0;
  LinkPurge(link, PURGE_RX);
  if (SendVectors(link, scan, n) == ADAPTER_OK) {
    got = LinkReadSamples(link, samples, static_cast<uint32_t>(2 * n), READ_BOUND_MS);
  }
  LinkPurge(link, PURGE_RX);
  return DecodeStatusCapture(chain, samples, got);
}

}  // namespace

DoneCheck ReadFpgaStatus(AdapterLink& link, FpgaChain chain, PinVector aux) {
  LinkSetBitMode(link, BITMODE_SYNC_BITBANG);
  LinkSetLatencyTimer(link, LOW_LATENCY_MS);
  return ScanStatus(link, chain, aux);
}

bool ClearFpga(AdapterLink& link, FpgaChain chain, FpgaCheck* cause) {
  LinkSetBitMode(link, BITMODE_SYNC_BITBANG);
  LinkSetLatencyTimer(link, LOW_LATENCY_MS);
  PinVector scan[MAX_IR_SCAN];
  size_t n = BuildIrScan(chain, FPGA_JPROGRAM, 0, /*fromReset=*/true, scan);
  LinkPurge(link, PURGE_RX);
  uint32_t failedBefore = link.failedWrites;
  if (SendVectors(link, scan, n) != ADAPTER_OK) {
    *cause = FpgaCheck::WriteFailed;
    return false;
  }
  // INIT stays low while the configuration memory clears.
  DoneCheck status = ScanStatus(link, chain, 0);
  // A capture that is not believed (samples lost, TDO stuck) will not become so by waiting.
  for (uint32_t waited = 0; status.believable && !status.init && waited < CLEAR_BOUND_MS;
       waited += CLEAR_POLL_MS) {
    if (link.failedWrites != failedBefore) break;
    LinkWait(link, CLEAR_POLL_MS);
    status = ScanStatus(link, chain, 0);
  }
  if (link.failedWrites != failedBefore) {
    *cause = FpgaCheck::WriteFailed;
  } else if (!status.believable) {
    *cause = FpgaCheck::NoSamples;
  } else if (!status.init) {
    *cause = FpgaCheck::InitNeverHigh;
  } else if (status.done) {
    *cause = FpgaCheck::DoneStayedHigh;
  } else {
    return true;
  }
  return false;
}

}  // namespace torvane
