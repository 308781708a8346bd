#include "procedures/prom_check.h"

#include "bitfile/bit_file.h"
#include "procedures/fpga_status.h"
#include "procedures/parts.h"
#include "procedures/prom_readback.h"

namespace torvane {

namespace {

// Five TMS-high clocks reach Test-Logic-Reset from any state; then Run-Test/Idle.
constexpr PinVector VEC_RESET_TO_IDLE[6] = {0x08, 0x08, 0x08, 0x08, 0x08, 0x00};
// The FPGA clears and loads itself from the PROM after CONFIG; DONE is polled meanwhile.
constexpr uint32_t DONE_POLL_MS = 50;
constexpr uint32_t DONE_BOUND_MS = 1000;

// The FPGA's status behind the PROM until DONE rises, a capture is not believed (no
// answer, or a refused write) or the bound has passed.
DoneCheck AwaitDone(AdapterLink& link) {
  for (uint32_t waited = 0;; waited += DONE_POLL_MS) {
    DoneCheck status = ReadFpgaStatus(link, FpgaChain::BehindProm, 0);
    if (!status.believable || status.done || waited >= DONE_BOUND_MS) return status;
    LinkWait(link, DONE_POLL_MS);
  }
}

// Synchronous mode from Run-Test/Idle, for the exchanges of a read-back.
bool EnterReadBack(AdapterLink& link) {
  LinkSetBitMode(link, BITMODE_SYNC_BITBANG);
  LinkSetLatencyTimer(link, LOW_LATENCY_MS);
  LinkPurge(link, PURGE_RX);
  return ExchangeVectors(link, VEC_RESET_TO_IDLE, TableSize(VEC_RESET_TO_IDLE), nullptr);
}

// A refused write says more than a missing answer: it is the cause when both happened.
PromCause FailureCause(const AdapterLink& link, uint32_t failedBefore) {
  return link.failedWrites != failedBefore ? PromCause::WriteFailed
                                           : PromCause::NoAnswer;
}

// Reads `expected.size()` bytes of blocks back, leaves ISC mode and compares.
bool ReadBackAndCompare(AppState& state, DialogHost& host,
                        const std::vector<uint8_t>& expected) {
  const Part& prom = PromFor(state.part);
  uint32_t failedBefore = state.link.failedWrites;
  std::vector<uint8_t> image;
  bool read = ReadPromBlocks(state.link, host, prom,
                             static_cast<uint32_t>(expected.size() / prom.blockBytes), &image);
  bool left = LeavePromIsc(state.link);
  if (!read || !left) {
    state.report.prom = FailureCause(state.link, failedBefore);
    return false;
  }
  state.report.readBack = true;
  state.report.blockBytes = prom.blockBytes;
  state.report.firstDifferentBlock = FirstDifferentBlock(image, expected, prom.blockBytes);
  if (state.report.firstDifferentBlock >= 0) {
    state.report.prom = PromCause::PromDiffers;
    return false;
  }
  return true;
}

}  // namespace

DownloadResult CheckPromAfterDownload(AppState& state, DialogHost& host,
                                      const std::vector<uint8_t>& written,
                                      PromCause downloadCause) {
  AdapterLink& link = state.link;
  state.report = DownloadReport{};
  LinkWait(link, SETTLE_MS);
  // A failed query delivers no count, and so counts as no answer from the adapter.
  if (LinkGetStatus(link) != ADAPTER_OK || link.rxQueued == 0) {
    state.report.prom = PromCause::NoAnswer;
    return EndWithVerdict(state, host, false);
  }
  uint32_t failedBefore = link.failedWrites;
  // Out of programming mode, then CONFIG: on a board whose mode pins select the PROM the
  // FPGA clears and boots from it, as at power-up, and checks the image's CRC doing so.
  PinVector scan[CHAIN_SCAN_VECTORS];
  SendVectors(link, MakeTable(VEC_RESET_TO_IDLE));
  ChainInstructionScan(PROM_ISC_DISABLE, scan);
  SendVectors(link, scan, CHAIN_SCAN_VECTORS);
  LinkWait(link, ISC_DISABLE_MS);
  if (downloadCause != PromCause::None) {
    state.report.prom = downloadCause;  // a half-programmed PROM must not boot the FPGA
    return EndWithVerdict(state, host, false);
  }
  ChainInstructionScan(PROM_CONFIG, scan);
  SendVectors(link, scan, CHAIN_SCAN_VECTORS);

  DoneCheck status = AwaitDone(link);
  if (!status.believable || link.failedWrites != failedBefore) {
    state.report.prom = FailureCause(link, failedBefore);
    return EndWithVerdict(state, host, false);
  }
  state.report.doneRose = status.done;
  if (status.done && !state.verifyPromAfterDownload) {
    return EndWithVerdict(state, host, true);
  }
  // DONE low (the mode pins, or a design for another part): what the PROM holds decides.
  return EndWithVerdict(state, host, ReadBackAndCompare(state, host, written));
}

DownloadResult VerifyProm(AppState& state, DialogHost& host, const BitFile& file) {
  state.report = DownloadReport{};
  const Part& prom = PromFor(state.part);
  if (!PromFits(prom, file.data.size())) {
    host.ShowError(MessageOwner::Dialog, TEXT_FILE_TOO_LARGE);
    return DownloadResult::FileError;
  }
  uint32_t failedBefore = state.link.failedWrites;
  if (!EnterReadBack(state.link)) {
    state.report.prom = FailureCause(state.link, failedBefore);
    return DownloadResult::Failed;
  }
  bool equal = ReadBackAndCompare(state, host, PromImage(prom, file.data));
  return equal ? DownloadResult::Complete : DownloadResult::Failed;
}

bool ReadProm(AppState& state, DialogHost& host, std::vector<uint8_t>* image) {
  state.report = DownloadReport{};
  AdapterLink& link = state.link;
  uint32_t failedBefore = link.failedWrites;
  const Part& prom = PromFor(state.part);
  bool read = EnterReadBack(link) && ReadPromBlocks(link, host, prom, prom.blockCount, image);
  bool left = LeavePromIsc(link);
  if (!read || !left) {
    state.report.prom = FailureCause(link, failedBefore);
    image->clear();
    return false;
  }
  state.report.readBack = true;
  return true;
}

}  // namespace torvane
