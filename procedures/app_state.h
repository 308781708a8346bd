// The process-wide state of the tool: the adapter link, the device mode chosen by the
// last identification and the part it found, the selected path and the last reported
// progress offset.
// Each front-end owns one instance; each test makes its own.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/adapter_link.h"
#include "procedures/parts.h"

namespace torvane {

enum class DeviceMode : int {
  None = 0,
  Fpga = 1,
  Prom = 2,
};

// What the last FPGA download found on the device, for a front-end to name the cause.
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
  None,          // complete
  NoAnswer,      // the adapter or the chain did not answer as a working one does
  WriteFailed,   // a write was refused: the PROM cannot hold what it should
  PromDiffers,   // the PROM read back does not hold what was written
};

// What the core found in the last download or check, for the front-ends to show.
struct DownloadReport {
  FpgaCheck fpga = FpgaCheck::NotChecked;
  PromCause prom = PromCause::None;
  bool doneRose = false;         // the FPGA's DONE read high after the PROM's CONFIG
  bool readBack = false;         // the PROM was read back and compared
  int firstDifferentBlock = -1;  // of that comparison; -1 when none differs
};

constexpr int PATH_CAPACITY = 260;  // characters, including the terminator

struct AppState {
  AdapterLink link;
  DeviceMode deviceMode = DeviceMode::None;
  const Part* part = nullptr;  // the part nearest TDO the last identification knew
  char path[PATH_CAPACITY] = {};
  uint32_t lastReportedOffset = 0;
  DownloadReport report;                 // the last download's findings
  bool verifyPromAfterDownload = false;  // read the PROM back even when DONE rose
  // Set by the front-end (not owned) to ask a running download to stop at its next safe
  // point; null when nothing can ask.
  const std::atomic<bool>* stopRequested = nullptr;
};

}  // namespace torvane
