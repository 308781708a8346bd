#include "procedures/verdict.h"

#include "link/vectors.h"

namespace torvane {

MessageIcon VerdictIcon(DownloadResult result) {
  return result == DownloadResult::Complete ? MessageIcon::Information : MessageIcon::Error;
}

namespace {

// What a status capture after a download says, when it is believed.
FpgaCheck CheckOf(const DoneCheck& check) {
  if (!check.believable) return FpgaCheck::NoSamples;
  if (!check.init) return FpgaCheck::InitLowAfterLoad;
  return check.done ? FpgaCheck::Configured : FpgaCheck::DoneLow;
}

}  // namespace

DownloadResult EndWithVerdict(AppState& state, DialogHost& host, bool complete) {
  if (complete) {
    host.ShowVerdict(DownloadResult::Complete);
    return DownloadResult::Complete;
  }
  host.ShowVerdict(DownloadResult::Failed);
  LinkWrite(state.link, &VEC_RELEASE, 1);
  return DownloadResult::Failed;
}

DownloadResult GiveFpgaVerdict(AppState& state, DialogHost& host, FpgaChain chain,
                               bool incomplete) {
  AdapterLink& link = state.link;
  LinkWait(link, SETTLE_MS);
  // A failed query delivers no count, and so counts as no answer from the adapter.
  bool answered = LinkGetStatus(link) == ADAPTER_OK && link.rxQueued > 0;
  // A count only proves the adapter answered; the FPGA must also say it started. Its
  // status is read only after writes that all went through: only then is the TAP where
  // the scan expects it.
  bool complete = answered && !incomplete;
  if (complete) {
    DoneCheck check = ReadFpgaStatus(link, chain, 0x01);  // BYPASS, D0 kept high
    complete = check.done && check.init;
    state.report.fpga = CheckOf(check);
  } else if (!answered && !incomplete) {
    state.report.fpga = FpgaCheck::NoSamples;
  }
  return EndWithVerdict(state, host, complete);
}

}  // namespace torvane
