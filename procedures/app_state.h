// The process-wide state of the tool: the adapter link, the device mode chosen by the
// last identification and the part it found, the selected path and the last reported
// progress offset.
// Each front-end owns one instance; each test makes its own.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/adapter_link.h"
#include "procedures/outcome.h"
#include "procedures/parts.h"

namespace torvane {

enum class DeviceMode : int {
  None = 0,
  Fpga = 1,
  Prom = 2,
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
