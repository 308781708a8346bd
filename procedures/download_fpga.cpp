#include "procedures/download_fpga.h"

#include <algorithm>
#include <vector>

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

// The same two tables for the FPGA behind the PROM: 14-bit instruction scans with the
// PROM's BYPASS (all ones) shifted first, and the PROM's one-bit bypass register in every
// data scan, so each data scan is one bit longer. Built from the tables above.
constexpr size_t BEHIND_PROM_PREAMBLE = TableSize(VEC_CFG_IN) + PROM_IR_LENGTH;
constexpr size_t BEHIND_PROM_STARTUP = TableSize(VEC_JSTART) + PROM_IR_LENGTH + 2;

size_t BuildBehindPromPreamble(PinVector out[BEHIND_PROM_PREAMBLE]) {
  // Reset, Idle and the walk to Shift-IR; the PROM's ones, then the FPGA's CFG_IN and on.
  size_t n = 0;
  for (size_t i = 0; i < 10; ++i) out[n++] = VEC_CFG_IN[i];
  for (int i = 0; i < PROM_IR_LENGTH; ++i) out[n++] = PIN_TDI;
  for (size_t i = 10; i < TableSize(VEC_CFG_IN); ++i) out[n++] = VEC_CFG_IN[i];
  return n;
}

size_t BuildBehindPromStartup(PinVector out[BEHIND_PROM_STARTUP]) {
  size_t n = 0;
  out[n++] = 0;  // the PROM's bypass bit, after the file's data
  for (size_t i = 0; i < 6; ++i) out[n++] = VEC_JSTART[i];
  for (int i = 0; i < PROM_IR_LENGTH; ++i) out[n++] = PIN_TDI;
  for (size_t i = 6; i < 16; ++i) out[n++] = VEC_JSTART[i];
  out[n++] = 0;  // the JSTART data scan, one bit longer for the PROM's bypass register
  for (size_t i = 16; i < TableSize(VEC_JSTART); ++i) out[n++] = VEC_JSTART[i];
  return n;
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

  PinVector preamble[BEHIND_PROM_PREAMBLE];
  PinVector startup[BEHIND_PROM_STARTUP];
  VectorTable preambleTable = FPGA_PREAMBLE;
  VectorTable startupTable = FPGA_STARTUP;
  if (chain == FpgaChain::BehindProm) {
    preambleTable = VectorTable{preamble, BuildBehindPromPreamble(preamble)};
    startupTable = VectorTable{startup, BuildBehindPromStartup(startup)};
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
