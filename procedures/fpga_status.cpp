#include "procedures/fpga_status.h"

namespace torvane {

namespace {

constexpr uint8_t CAPTURE_INIT = 0x10;
constexpr uint8_t CAPTURE_DONE = 0x20;
// Every instruction capture begins 1, 0: the first two bits out.
constexpr uint64_t CAPTURE_FIXED = 0x1;
constexpr uint64_t CAPTURE_FIXED_MASK = 0x3;

}  // namespace

ScanChain FpgaScanChain(FpgaChain chain) {
  if (chain == FpgaChain::BehindProm) return ScanChain{{FPGA_IR_LENGTH, PROM_IR_LENGTH}, 2, 0};
  return ScanChain{{FPGA_IR_LENGTH}, 1, 0};
}

ScanPlace AppendStatusScan(std::vector<PinVector>* out, FpgaChain chain, PinVector held) {
  return AppendIrScan(out, TapStart::RunTestIdle, FpgaScanChain(chain), FPGA_BYPASS, held);
}

DoneCheck DecodeStatusCapture(const ScanPlace& place, const uint8_t* samples, size_t count) {
  uint8_t capture = static_cast<uint8_t>(ScanRegister(place, samples, count));
  // Behind the PROM its capture comes out first, and must begin 1, 0 too.
  bool padRight = place.padBits == 0 ||
                  (ScanBits(place, samples, count, 0, 2) & CAPTURE_FIXED_MASK) == CAPTURE_FIXED;
  bool believable = ScanComplete(place, count) && place.registerBits > 0 && padRight &&
                    (capture & CAPTURE_FIXED_MASK) == CAPTURE_FIXED;
  return DoneCheck{believable, believable && (capture & CAPTURE_DONE) != 0,
                   believable && (capture & CAPTURE_INIT) != 0, capture};
}

DoneCheck ExchangeStatus(AdapterLink& link, const std::vector<PinVector>& scan,
                         const ScanPlace& place) {
  std::vector<uint8_t> samples;
  int status = ExchangeScan(link, scan, &samples);
  size_t got = status == ADAPTER_OK ? samples.size() : 0;
  return DecodeStatusCapture(place, samples.data(), got);
}

DoneCheck ReadFpgaStatus(AdapterLink& link, FpgaChain chain, PinVector held) {
  EnterScanMode(link);
  std::vector<PinVector> scan;
  ScanPlace place = AppendStatusScan(&scan, chain, held);
  return ExchangeStatus(link, scan, place);
}

bool ClearFpga(AdapterLink& link, FpgaChain chain, FpgaCheck* cause) {
  EnterScanMode(link);
  uint32_t failedBefore = link.failedWrites;
  // JPROGRAM and the first look at INIT, which stays low while the configuration memory
  // clears.
  std::vector<PinVector> scan;
  AppendIrScan(&scan, TapStart::Unknown, FpgaScanChain(chain), FPGA_JPROGRAM);
  ScanPlace first = AppendStatusScan(&scan, chain, 0);
  DoneCheck status = ExchangeStatus(link, scan, first);
  scan.clear();
  ScanPlace poll = AppendStatusScan(&scan, chain, 0);
  // A capture that is not believed (samples lost, TDO stuck) will not become so by waiting.
  for (uint32_t waited = 0; status.believable && !status.init && waited < CLEAR_BOUND_MS;
       waited += CLEAR_POLL_MS) {
    LinkWait(link, CLEAR_POLL_MS);
    status = ExchangeStatus(link, scan, poll);
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
