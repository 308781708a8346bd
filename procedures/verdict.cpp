#include "procedures/verdict.h"

#include <cstring>

#include "link/vectors.h"

namespace torvane {

// Rows 1 to 17 name the adapter's error conditions; only 0 and 18 are ever shown.
const char STATUS_MESSAGES[STATUS_MESSAGE_COUNT][STATUS_MESSAGE_SIZE] = {
    "DOWNLOAD COMPLETE !",
    "INVALID HANDLE !",
    "DEVICE NOT FOUND !",
    "DEVICE NOT OPENED !",
    "IO ERROR !",
    "INSUFFICIENT RESOURCES !",
    "INVALID PARAMETER !",
    "INVALID BAUD_RATE !",
    "DEVICE NOT OPENED FOR ERASE !",
    "DEVICE NOT OPENED FOR WRITE !",
    "FAILED TO WRITE DEVICE !",
    "EEPROM READ FAILED !",
    "EEPROM WRITE FAILED !",
    "EEPROM ERASE FAILED !",
    "EEPROM NOT PRESENT !",
    "EEPROM NOT PROGRAMMED !",
    "INVALID ARGS !",
    "OTHER ERROR !",
    "DOWNLOAD FAILED !",
    "UNEXPECTED EOF !",
};

const char* VerdictText(DownloadResult result) {
  return STATUS_MESSAGES[result == DownloadResult::Complete ? STATUS_COMPLETE : STATUS_FAILED];
}

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

const char* FpgaCheckText(FpgaCheck check) {
  switch (check) {
    case FpgaCheck::InitNeverHigh:
      return "the FPGA did not clear: INIT stayed low after JPROGRAM";
    case FpgaCheck::DoneStayedHigh:
      return "the FPGA did not clear: DONE stayed high after JPROGRAM";
    case FpgaCheck::WriteFailed:
      return "a write to the cable failed";
    case FpgaCheck::InitLowAfterLoad:
      return "the FPGA rejected the data (INIT low): a CRC error or a design for another part";
    case FpgaCheck::DoneLow:
      return "the FPGA did not start (DONE low, INIT high): the file holds no design it accepts";
    case FpgaCheck::NoSamples:
      return "the FPGA's status did not come back through the cable";
    case FpgaCheck::NotChecked:
    case FpgaCheck::Configured:
      break;
  }
  return nullptr;
}

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
