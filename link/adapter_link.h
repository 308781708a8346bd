// The process-wide adapter link: the backend in use, the open handle, the last driver
// status and the counters the driver calls fill in. The Link* calls store their results
// here exactly as the procedures expect to find them.
#pragma once

#include <cstdint>

#include "link/adapter.h"

namespace torvane {

constexpr const char* ADAPTER_DESCRIPTION = "FT232R USB UART";
constexpr uint32_t USB_TRANSFER_SIZE = 16384;
constexpr uint32_t DOWNLOAD_BAUD_RATE = 921600;
// The procedures' fixed wait, for the adapter to clock out what it was given.
constexpr uint32_t SETTLE_MS = 50;

struct AdapterLink {
  Adapter* adapter = nullptr;    // the backend; never owned by the link
  AdapterHandle handle = nullptr;
  uint32_t lastStatus = 0;
  uint32_t bytesWritten = 0;
  uint32_t txQueued = 0;
  uint32_t eventStatus = 0;
  uint32_t rxQueued = 0;
  uint32_t bytesRead = 0;
  uint32_t failedWrites = 0;  // writes the driver refused, since the link was made
};

// Each call goes to the backend even when the handle is not valid: the driver answers
// with its own error status, and the procedures carry on as the hardware would let them.
int LinkOpen(AdapterLink& link);                      // stores lastStatus
int LinkSetUsbParameters(AdapterLink& link, uint32_t inSize, uint32_t outSize);  // lastStatus
int LinkSetBitMode(AdapterLink& link, uint8_t mode);  // PIN_DIRECTION_MASK; lastStatus
int LinkSetBaudRate(AdapterLink& link, uint32_t baud);  // lastStatus
int LinkPurge(AdapterLink& link, uint32_t mask);
int LinkSetLatencyTimer(AdapterLink& link, uint8_t milliseconds);  // lastStatus
int LinkWrite(AdapterLink& link, const uint8_t* data, uint32_t count);  // bytesWritten
int LinkGetStatus(AdapterLink& link);                 // rxQueued, txQueued, eventStatus
int LinkRead(AdapterLink& link, uint8_t* buffer, uint32_t count);  // bytesRead
int LinkClose(AdapterLink& link);
void LinkWait(AdapterLink& link, uint32_t milliseconds);

}  // namespace torvane
