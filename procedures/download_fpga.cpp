#include "procedures/download_fpga.h"

#include <algorithm>
#include <vector>

#include "link/jtag_scan.h"
#include "link/vectors.h"
#include "procedures/fpga_status.h"
#include "procedures/load_file.h"
#include "procedures/stop.h"

namespace torvane {

namespace {

// Five TMS-high cycles reach Test-Logic-Reset from any state; Run-Test/Idle,
// Select-DR-Scan, Select-IR-Scan, Capture-IR, Shift-IR; CFG_IN (0x05) shifted first-bit
// first as 1 0 1 0 0 0, the last into Exit1-IR; Update-IR, Select-DR-Scan, Capture-DR,
// ending in Shift-DR, where the configuration data follows.
constexpr PinVector VEC_CFG_IN[20] = {0x08, 0x08, 0x08, 0x08, 0x08, 0x00, 0x08, 0x08, 0x00, 0x00,
                                      0x80, 0x00, 0x80, 0x00, 0x00, 0x08, 0x08, 0x08, 0x00, 0x00};

// From Shift-DR: one last 0 bit into Exit1-DR; Update-DR, Select-DR-Scan, Select-IR-Scan,
// Capture-IR, Shift-IR; JSTART (0x0C) as 0 0 1 1 0 0 into Exit1-IR; Update-IR,
// Select-DR-Scan, Capture-DR, Shift-DR; thirteen zero bits, the last into Exit1-DR;
// Update-DR; then Run-Test/Idle and ten more clocks there for the start-up sequence. The
// final vector raises auxiliary line D0, which stays high.
constexpr PinVector VEC_JSTART[41] = {
    0x08, 0x08, 0x08, 0x08, 0x00, 0x00, 0x00, 0x00, 0x80, 0x80, 0x00, 0x08, 0x08, 0x08,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x08, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};

// Behind the PROM the same two steps are scans through the PROM's BYPASS: CFG_IN from any
// state and into Shift-DR for the data; after it a last 0 bit, JSTART, and the clocks the
// table above gives after JSTART (its Shift-DR ones among them), here all in
// Run-Test/Idle, where start-up counts them; the final one raises D0.
constexpr size_t STARTUP_CLOCKS = 28;

std::vector<PinVector> BehindPromPreamble() {
  std::vector<PinVector> scan;
  AppendIrScan(&scan, TapStart::Unknown, FpgaScanChain(FpgaChain::BehindProm), FPGA_CFG_IN);
  AppendEnterShiftDr(&scan, TapStart::RunTestIdle);
  return scan;
}

std::vector<PinVector> BehindPromStartup() {
  std::vector<PinVector> scan;
  AppendLeaveShift(&scan, false);
  AppendIrScan(&scan, TapStart::RunTestIdle, FpgaScanChain(FpgaChain::BehindProm), FPGA_JSTART);
  AppendIdle(&scan, STARTUP_CLOCKS - 1);
  AppendIdle(&scan, 1, 0x01);
  return scan;
}

}  // namespace

const VectorTable FPGA_PREAMBLE = MakeTable(VEC_CFG_IN);
const VectorTable FPGA_STARTUP = MakeTable(VEC_JSTART);

DownloadResult DownloadFpga(AppState& state, DialogHost& host) {
  BitFile file;
  if (!LoadFileForDownload(state.path, host, &file)) {
    return DownloadResult::FileError;
  }
  return DownloadFpgaFrom(state, host, file);
}

DownloadResult DownloadFpgaFrom(AppState& state, DialogHost& host, const BitFile& file,
                                FpgaChain chain) {
  const std::vector<uint8_t>& data = file.data;
  host.SetProgressRange(0, static_cast<uint32_t>(data.size()));
  host.SetProgressPos(state.lastReportedOffset);

  AdapterLink& link = state.link;
  state.report = DownloadReport{};
  if (StopRequested(state)) return StopDownload(link);
  // A design the FPGA held before would keep DONE high whatever this load does.
  FpgaCheck notCleared = FpgaCheck::NotChecked;
  if (!ClearFpga(link, chain, &notCleared)) {
    state.report.fpga = notCleared;
    return EndWithVerdict(state, host, /*complete=*/false);
  }
  uint32_t failedBefore = link.failedWrites;
  LinkSetBaudRate(link, DOWNLOAD_BAUD_RATE);
  LinkSetBitMode(link, BITMODE_ASYNC_BITBANG);

  std::vector<PinVector> preamble;
  std::vector<PinVector> startup;
  VectorTable preambleTable = FPGA_PREAMBLE;
  VectorTable startupTable = FPGA_STARTUP;
  if (chain == FpgaChain::BehindProm) {
    preamble = BehindPromPreamble();
    startup = BehindPromStartup();
    preambleTable = VectorTable{preamble.data(), preamble.size()};
    startupTable = VectorTable{startup.data(), startup.size()};
  }
  bool preambleSent = SendVectors(link, preambleTable) == ADAPTER_OK;
  if (preambleSent) {
    PinVector vectors[8 * CHUNK_BYTES];
    // A short chunk is the last, so data of an exact multiple of the chunk size ends with
    // a pass that writes nothing and only moves the bar, as a reader that notices the end
    // of the file only by meeting it would.
    for (size_t at = 0;; at += CHUNK_BYTES) {
      // An unfinished configuration leaves the FPGA unconfigured, which is safe.
      if (StopRequested(state)) return StopDownload(link);
      size_t n = std::min(CHUNK_BYTES, data.size() - at);
      if (n >= 1) {
        for (size_t i = 0; i < n; ++i) ByteToVectors(data[at + i], &vectors[8 * i]);
        SendVectors(link, vectors, 8 * n);
      }
      state.lastReportedOffset = static_cast<uint32_t>(file.dataOffset + at + n);
      host.SetProgressPos(state.lastReportedOffset);
      if (n < CHUNK_BYTES) break;
    }
  }
  // A failed preamble skips the data and start-up: from the Idle state the clear left, the
  // start-up table would end in Shift-IR with zeros shifted, and the next move out of it
  // would make EXTEST current.
  if (preambleSent) SendVectors(link, startupTable);
  bool writeFailed = link.failedWrites != failedBefore;
  if (writeFailed) state.report.fpga = FpgaCheck::WriteFailed;
  return GiveFpgaVerdict(state, host, chain, writeFailed);
}

}  // namespace torvane
