// The process-wide state of the tool: the adapter link, the device mode chosen by the
// last identification, the selected path and the last reported progress offset.
// Each front-end owns one instance; each test makes its own.
#pragma once

#include <cstdint>

#include "link/adapter_link.h"

namespace torvane {

enum DeviceMode : int {
  DEVICE_NONE = 0,
  DEVICE_FPGA = 1,
  DEVICE_PROM = 2,
};

constexpr int PATH_CAPACITY = 260;  // characters, including the terminator

// Why the last download or check ended as it did; the front-ends say it in their own way.
enum class DownloadCause {
  None,         // complete
  NoAnswer,     // the adapter or the chain did not answer as a working one does
  WriteFailed,  // a write was refused: the device cannot hold what it should
  PromDiffers,  // the PROM read back does not hold what was written
  FileCutShort, // the file's data ended before the size it had when opened
};

// What the core found in the last download or check, for the front-ends to show.
struct DownloadReport {
  DownloadCause cause = DownloadCause::None;
  bool doneRose = false;        // the FPGA's DONE read high after the PROM's CONFIG
  bool readBack = false;        // the PROM was read back and compared
  int firstDifferentBlock = -1;  // of that comparison; -1 when none differs
};

struct AppState {
  AdapterLink link;
  DeviceMode deviceMode = DEVICE_NONE;
  char path[PATH_CAPACITY] = {};
  uint32_t lastReportedOffset = 0;
  bool verifyPromAfterDownload = false;  // read the PROM back even when DONE rose
  DownloadReport report;
};

}  // namespace torvane
