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

namespace {

// From Run-Test/Idle (every vector keeps D0 high): Select-DR-Scan, Select-IR-Scan,
// Capture-IR, Shift-IR; six ones shifted (BYPASS, never zeros: an all-zero instruction
// is a boundary-scan one that drives the pins), the last into Exit1-IR; Update-IR and
// back to Run-Test/Idle. TDO shows capture bit i just after the falling edge of vector
// 4 + i, so in sample 9 + 2i.
constexpr PinVector VEC_READ_STATUS[12] = {
    0x09, 0x09, 0x01, 0x01, 0x81, 0x81, 0x81, 0x81, 0x81, 0x89, 0x09, 0x01,
};
constexpr size_t FIRST_CAPTURE_SAMPLE = 9;
constexpr int CAPTURE_BITS = 6;
constexpr uint8_t CAPTURE_INIT = 0x10;
constexpr uint8_t CAPTURE_DONE = 0x20;

}  // namespace

DoneCheck DecodeDoneCapture(const uint8_t* samples, size_t count) {
  uint8_t capture = 0;
  for (int i = 0; i < CAPTURE_BITS; ++i) {
    size_t at = FIRST_CAPTURE_SAMPLE + 2 * static_cast<size_t>(i);
    if (at < count && (samples[at] & PIN_TDO)) {
      capture = static_cast<uint8_t>(capture | (1u << i));
    }
  }
  // Samples that never arrived are missing bits: such a capture is not believed.
  bool complete = count >= FIRST_CAPTURE_SAMPLE + 2 * CAPTURE_BITS - 1;
  bool believable = complete && (capture & 0x3) == 0x1;
  return DoneCheck{believable, believable && (capture & CAPTURE_DONE) != 0,
                   believable && (capture & CAPTURE_INIT) != 0, capture};
}

DoneCheck ReadFpgaDone(AdapterLink& link) {
  LinkSetBitMode(link, BITMODE_SYNC_BITBANG);
  LinkPurge(link, PURGE_RX);
  SendVectors(link, VEC_READ_STATUS, sizeof VEC_READ_STATUS);
  LinkWait(link, SETTLE_MS);
  uint8_t samples[2 * sizeof VEC_READ_STATUS];
  std::memset(samples, 0, sizeof samples);
  LinkGetStatus(link);
  uint32_t wanted = link.rxQueued < sizeof samples ? link.rxQueued : sizeof samples;
  // A read may deliver fewer samples than are queued; take the rest until none come.
  uint32_t got = 0;
  while (got < wanted && LinkRead(link, samples + got, wanted - got) == ADAPTER_OK &&
         link.bytesRead > 0) {
    got += link.bytesRead;
  }
  DoneCheck check = DecodeDoneCapture(samples, got);
  LinkPurge(link, PURGE_RX);
  return check;
}

DownloadResult GiveVerdict(AppState& state, DialogHost& host, bool checkFpgaDone,
                           bool incomplete) {
  AdapterLink& link = state.link;
  LinkWait(link, SETTLE_MS);
  // A failed query delivers no count, and so counts as no answer from the adapter.
  bool answered = LinkGetStatus(link) == ADAPTER_OK && link.rxQueued > 0;
  // A count only proves the adapter answered; after a configuration the FPGA must also
  // say it started.
  bool complete = answered && !incomplete && (!checkFpgaDone || ReadFpgaDone(link).done);
  if (complete) {
    host.ShowMessage(MessageOwner::Dialog, STATUS_MESSAGES[STATUS_COMPLETE], VERDICT_CAPTION,
                     MessageIcon::Information);
    return DownloadResult::Complete;
  }
  host.ShowMessage(MessageOwner::Dialog, STATUS_MESSAGES[STATUS_FAILED], VERDICT_CAPTION,
                   MessageIcon::Error);
  LinkWrite(link, &VEC_RELEASE, 1);
  return DownloadResult::Failed;
}

DownloadResult ShowVerdict(AppState& state, DialogHost& host, bool complete) {
  if (complete) {
    host.ShowMessage(MessageOwner::Dialog, STATUS_MESSAGES[STATUS_COMPLETE], VERDICT_CAPTION,
                     MessageIcon::Information);
    return DownloadResult::Complete;
  }
  host.ShowMessage(MessageOwner::Dialog, STATUS_MESSAGES[STATUS_FAILED], VERDICT_CAPTION,
                   MessageIcon::Error);
  LinkWrite(state.link, &VEC_RELEASE, 1);
  return DownloadResult::Failed;
}

}  // namespace torvane
