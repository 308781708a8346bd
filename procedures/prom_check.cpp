#include "procedures/prom_check.h"

#include "bitfile/bit_file.h"
#include "link/jtag_scan.h"
#include "procedures/fpga_status.h"
#include "procedures/parts.h"
#include "procedures/prom_readback.h"
#include "procedures/stop.h"

namespace torvane {

namespace {

// The FPGA clears and loads itself from the PROM after CONFIG; DONE is polled meanwhile.
constexpr uint32_t DONE_POLL_MS = 50;
constexpr uint32_t DONE_BOUND_MS = 1000;
constexpr uint32_t DONE_POLLS = DONE_BOUND_MS / DONE_POLL_MS + 1;

// A refused write says more than a missing answer: it is the cause when both happened.
PromCause FailureCause(const AdapterLink& link, uint32_t failedBefore) {
  return link.failedWrites != failedBefore ? PromCause::WriteFailed
                                           : PromCause::NoAnswer;
}

// CONFIG, then the FPGA's status behind the PROM until DONE rises, a capture is not
// believed (no answer, or a refused write) or the bound has passed, each poll a step of
// the phase. `stopped` when a stop was asked for between two polls.
DoneCheck AwaitDone(AppState& state, DialogHost& host, uint32_t total, bool* stopped) {
  std::vector<PinVector> scan;
  AppendIrScan(&scan, TapStart::RunTestIdle, PROM_SCAN_CHAIN, PROM_CONFIG);
  for (uint32_t poll = 1;; ++poll) {
    ScanPlace place = AppendStatusScan(&scan, FpgaChain::BehindProm, 0);
    DoneCheck status = ExchangeStatus(state.link, scan, place);
    host.SetReadBackProgress(poll, total);
    if (!status.believable || status.done || poll == DONE_POLLS) return status;
    if (StopRequested(state)) {
      *stopped = true;
      return status;
    }
    LinkWait(state.link, DONE_POLL_MS);
    scan.clear();
  }
}

// Reads `blocks` blocks back from `from` and leaves ISC mode, whatever came of the read.
// Complete with the image; Failed with the cause in state.report; Interrupted with the
// lines released.
DownloadResult ReadAndLeave(AppState& state, DialogHost& host, const Part& prom, uint32_t blocks,
                            TapStart from, ReadBackSteps steps, std::vector<uint8_t>* image) {
  AdapterLink& link = state.link;
  uint32_t failedBefore = link.failedWrites;
  ReadBack read = ReadPromBlocks(state, host, prom, blocks, from, steps, image);
  // An exchange that failed part way left the TAP where it stopped.
  bool left = LeavePromIsc(link, read == ReadBack::Failed ? TapStart::Unknown
                                                          : TapStart::RunTestIdle);
  if (read == ReadBack::Stopped) return StopDownload(link);
  if (read == ReadBack::Failed || !left) {
    state.report.prom = FailureCause(link, failedBefore);
    return DownloadResult::Failed;
  }
  state.report.readBack = true;
  return DownloadResult::Complete;
}

// Reads `expected.size()` bytes of blocks back and compares.
DownloadResult ReadBackAndCompare(AppState& state, DialogHost& host, const Part& prom,
                                  const std::vector<uint8_t>& expected, TapStart from,
                                  ReadBackSteps steps) {
  std::vector<uint8_t> image;
  uint32_t blocks = static_cast<uint32_t>(expected.size() / prom.blockBytes);
  DownloadResult result = ReadAndLeave(state, host, prom, blocks, from, steps, &image);
  if (result != DownloadResult::Complete) return result;
  state.report.blockBytes = prom.blockBytes;
  state.report.firstDifferentBlock = FirstDifferentBlock(image, expected, prom.blockBytes);
  if (state.report.firstDifferentBlock >= 0) {
    state.report.prom = PromCause::PromDiffers;
    return DownloadResult::Failed;
  }
  return DownloadResult::Complete;
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
  const Part& prom = PromFor(state.part);
  const uint32_t blocks = static_cast<uint32_t>(written.size() / prom.blockBytes);
  const ReadBackSteps steps{DONE_POLLS, DONE_POLLS + blocks};
  host.SetReadBackProgress(0, steps.total);
  uint32_t failedBefore = link.failedWrites;
  // Out of programming mode, then CONFIG: on a board whose mode pins select the PROM the
  // FPGA clears and boots from it, as at power-up, and checks the image's CRC doing so.
  EnterScanMode(link);
  LoadPromInstruction(link, TapStart::Unknown, PROM_ISC_DISABLE);
  LinkWait(link, ISC_DISABLE_MS);
  if (downloadCause != PromCause::None) {
    state.report.prom = downloadCause;  // a half-programmed PROM must not boot the FPGA
    return EndWithVerdict(state, host, false);
  }
  bool stopped = false;
  DoneCheck status = AwaitDone(state, host, steps.total, &stopped);
  if (stopped) return StopDownload(link);
  if (!status.believable || link.failedWrites != failedBefore) {
    state.report.prom = FailureCause(link, failedBefore);
    return EndWithVerdict(state, host, false);
  }
  state.report.doneRose = status.done;
  if (status.done && !state.verifyPromAfterDownload) {
    host.SetReadBackProgress(steps.total, steps.total);
    return EndWithVerdict(state, host, true);
  }
  // DONE low (the mode pins, or a design for another part): what the PROM holds decides.
  DownloadResult compared =
      ReadBackAndCompare(state, host, prom, written, TapStart::RunTestIdle, steps);
  if (compared == DownloadResult::Interrupted) return compared;
  return EndWithVerdict(state, host, compared == DownloadResult::Complete);
}

DownloadResult VerifyProm(AppState& state, DialogHost& host, const BitFile& file) {
  state.report = DownloadReport{};
  const Part& prom = PromFor(state.part);
  std::vector<uint8_t> expected;
  if (!PromImageOrRefuse(prom, host, file.data, &expected)) return DownloadResult::FileError;
  const uint32_t blocks = static_cast<uint32_t>(expected.size() / prom.blockBytes);
  host.SetReadBackProgress(0, blocks);
  EnterScanMode(state.link);
  return ReadBackAndCompare(state, host, prom, expected, TapStart::Unknown, {0, blocks});
}

DownloadResult ReadProm(AppState& state, DialogHost& host, std::vector<uint8_t>* image) {
  state.report = DownloadReport{};
  const Part& prom = PromFor(state.part);
  const uint32_t blocks = prom.blockCount;
  host.SetReadBackProgress(0, blocks);
  EnterScanMode(state.link);
  DownloadResult result =
      ReadAndLeave(state, host, prom, blocks, TapStart::Unknown, {0, blocks}, image);
  if (result != DownloadResult::Complete) image->clear();
  return result;
}

}  // namespace torvane
