// The process-wide state of the tool: the adapter link, the device mode chosen by the
// last identification, the selected path and the last reported progress offset.
// Each front-end owns one instance; each test makes its own.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/adapter_link.h"

namespace torvane {

enum DeviceMode : int {
  DEVICE_NONE = 0,
  DEVICE_FPGA = 1,
  DEVICE_PROM = 2,
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

struct DownloadReport {
  FpgaCheck fpga = FpgaCheck::NotChecked;
};

constexpr int PATH_CAPACITY = 260;  // characters, including the terminator

struct AppState {
  AdapterLink link;
  DeviceMode deviceMode = DEVICE_NONE;
  char path[PATH_CAPACITY] = {};
  uint32_t lastReportedOffset = 0;
  DownloadReport report;  // the last download's findings
  // Set by the front-end (not owned) to ask a running download to stop at its next safe
  // point; null when nothing can ask.
  const std::atomic<bool>* stopRequested = nullptr;
};

}  // namespace torvane
