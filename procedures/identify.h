// Chain identification: open the adapter, put every device of the chain into its IDCODE
// instruction, read the 32-bit code of the device nearest TDO and classify it into the
// DeviceMode that decides what Download does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "procedures/app_state.h"
#include "procedures/dialog_host.h"
#include "procedures/parts.h"

namespace torvane {

constexpr size_t SAMPLE_BUFFER_SIZE = 64;

struct Classification {
  DeviceMode mode;
  const Part* part;  // one of the parts the tool supports; null for any other code
  char text[40];     // the device status line
};

struct IdentifyResult {
  int openStatus;
  uint32_t idcode;
  DeviceMode mode;
  bool known;
};

// Bit k of the code is 1 exactly when sample 2k + 1 equals PIN_TDO: TDO high while every
// output is low, as the idle vectors leave them just after their falling edge.
uint32_t DecodeIdcode(const uint8_t samples[SAMPLE_BUFFER_SIZE]);

// The part table's row for the code; an unknown code gives DeviceMode::None.
Classification ClassifyIdcode(uint32_t idcode);

IdentifyResult IdentifyChain(AppState& state, DialogHost& host);

}  // namespace torvane
