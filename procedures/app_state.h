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

constexpr int PATH_CAPACITY = 260;  // characters, including the terminator

struct AppState {
  AdapterLink link;
  DeviceMode deviceMode = DEVICE_NONE;
  char path[PATH_CAPACITY] = {};
  uint32_t lastReportedOffset = 0;
  // Set by the front-end (not owned) to ask a running download to stop at its next safe
  // point; null when nothing can ask.
  const std::atomic<bool>* stopRequested = nullptr;
};

}  // namespace torvane
