// The outcome vocabulary every front-end shows, decided by the core: how a download ended,
// what the core found on the way (the FPGA's check, the PROM's cause), the verdict of a
// whole run, and every text that names them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace torvane {

enum class DownloadResult {
  Complete,     // "DOWNLOAD COMPLETE !"
  Failed,       // "DOWNLOAD FAILED !", the lines released
  FileError,    // the file was refused before any adapter traffic
  NotPresent,   // no device to download to: "Interface not present !"
  Interrupted,  // stopped at a safe point on request: no verdict box, the lines released
};

// What the last FPGA download found on the device.
enum class FpgaCheck {
  NotChecked,        // no FPGA download has reached the device
  Configured,        // DONE and INIT high after a download whose every write succeeded
  InitNeverHigh,     // the clear before the download: INIT did not rise
  DoneStayedHigh,    // the clear before the download: DONE did not fall
  WriteFailed,       // a write to the adapter failed
  InitLowAfterLoad,  // the FPGA flagged the data: a CRC error or a design for another part
  DoneLow,           // INIT high but DONE low: the data did not start the FPGA
  NoSamples,         // the FPGA's status did not come back through the adapter
};

// Why the last PROM download, verify or read ended as it did.
enum class PromCause {
  None,         // complete
  NoAnswer,     // the adapter or the chain did not answer as a working one does
  WriteFailed,  // a write was refused: the PROM cannot hold what it should
  PromDiffers,  // the PROM read back does not hold what was written
};

// What the core found in the last download or check.
struct DownloadReport {
  FpgaCheck fpga = FpgaCheck::NotChecked;
  PromCause prom = PromCause::None;
  bool doneRose = false;         // the FPGA's DONE read high after the PROM's CONFIG
  bool readBack = false;         // the PROM was read back and compared
  int firstDifferentBlock = -1;  // of that comparison; -1 when none differs
  uint32_t blockBytes = 0;       // the size of the blocks read back
};

// How a whole run ended. A front-end derives everything it says about the end (an exit
// code, a word, a box) from this and nothing else.
enum class RunVerdict {
  Complete,
  Failed,       // the devices or the cable did not do what was asked
  Refused,      // nothing (or not all) was sent: the file, or the request, cannot be used
  Interrupted,  // stopped on request at a safe point
};

RunVerdict VerdictOf(DownloadResult result);

// The operation status texts. Rows 1 to 17 name the adapter's error conditions; only
// STATUS_COMPLETE and STATUS_FAILED are ever shown.
constexpr size_t STATUS_MESSAGE_COUNT = 20;
constexpr size_t STATUS_MESSAGE_SIZE = 60;
extern const char STATUS_MESSAGES[STATUS_MESSAGE_COUNT][STATUS_MESSAGE_SIZE];
constexpr size_t STATUS_COMPLETE = 0;
constexpr size_t STATUS_FAILED = 18;

constexpr const char* TEXT_INTERFACE_NOT_PRESENT = "Interface not present !";
constexpr const char* TEXT_FILE_TOO_LARGE = "FILE TOO LARGE FOR PROM !";
constexpr const char* TEXT_NO_DEVICE = "no supported device answered on the JTAG chain";
constexpr const char* TEXT_WRITE_FAILED = "a write to the cable failed";
constexpr const char* TEXT_INTERRUPTED = "interrupted";

// "DOWNLOAD COMPLETE !" for a complete download, "DOWNLOAD FAILED !" for any other.
const char* VerdictText(DownloadResult result);

// One line naming what the FPGA check found wrong; null for NotChecked and Configured.
const char* FpgaCheckText(FpgaCheck check);

// One line naming why `result` is not complete, from what the core found: empty when it
// is complete, when a box already said why (a refused file) or when nothing was found.
std::string CauseText(DownloadResult result, const DownloadReport& report);

}  // namespace torvane
