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
// The latency timer for the synchronous scans that read the devices back: the chip sends
// a partial packet of samples after 1 ms instead of the driver's 16 (or up to 255); the
// vendor's driver, which documents 2 ms as its least, takes 2.
constexpr uint8_t LOW_LATENCY_MS = 1;
// How long a read waits for the samples it expects before it gives up.
constexpr uint32_t READ_BOUND_MS = 500;

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

// Streams `count` bytes out in synchronous mode and their samples into `samples` (null:
// dropped) through the backend's exchange, each sample due within `boundMs` of the one
// before. Stores lastStatus, bytesWritten and bytesRead; a refused write counts in
// failedWrites, a missing answer (ADAPTER_NO_ANSWER) does not.
int LinkExchange(AdapterLink& link, const uint8_t* data, uint32_t count, uint8_t* samples,
                 uint32_t boundMs);

}  // namespace torvane
