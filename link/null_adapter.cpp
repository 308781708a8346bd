#include "link/null_adapter.h"

#include <cstring>

#include "link/vectors.h"

namespace torvane {

namespace {
// What a driver would hold for the host before dropping samples.
constexpr uint32_t RX_LIMIT = 65536;
}  // namespace

int NullAdapter::Open(const char* description, AdapterHandle* handle) {
  if (!handle) {
    return ADAPTER_INVALID_PARAMETER;
  }
  (void)description;
  open_ = true;
  mode_ = 0;
  rxPending_ = 0;
  *handle = this;
  return ADAPTER_OK;
}

int NullAdapter::SetUsbParameters(AdapterHandle handle, uint32_t, uint32_t) {
  return Valid(handle) ? ADAPTER_OK : ADAPTER_INVALID_HANDLE;
}

int NullAdapter::SetBitMode(AdapterHandle handle, uint8_t, uint8_t mode) {
  if (!Valid(handle)) {
    return ADAPTER_INVALID_HANDLE;
  }
  mode_ = mode;
  return ADAPTER_OK;
}

int NullAdapter::SetBaudRate(AdapterHandle handle, uint32_t baud) {
  if (!Valid(handle)) {
    return ADAPTER_INVALID_HANDLE;
  }
  return baud == 0 ? ADAPTER_INVALID_BAUD_RATE : ADAPTER_OK;
}

int NullAdapter::Purge(AdapterHandle handle, uint32_t mask) {
  if (!Valid(handle)) {
    return ADAPTER_INVALID_HANDLE;
  }
  if (mask & PURGE_RX) {
    rxPending_ = 0;
  }
  return ADAPTER_OK;
}

int NullAdapter::SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) {
  if (!Valid(handle)) {
    return ADAPTER_INVALID_HANDLE;
  }
  return milliseconds == 0 ? ADAPTER_INVALID_PARAMETER : ADAPTER_OK;
}

int NullAdapter::Write(AdapterHandle handle, const uint8_t* data, uint32_t count,
                       uint32_t* written) {
  if (written) *written = 0;
  if (!Valid(handle)) {
    return ADAPTER_INVALID_HANDLE;
  }
  if (count > 0 && !data) {
    return ADAPTER_INVALID_PARAMETER;
  }
  if (count > 0) {
    levels_ = data[count - 1];
  }
  // In bit-bang mode the chip samples its lines for every byte it clocks out.
  if (mode_ == BITMODE_ASYNC_BITBANG || mode_ == BITMODE_SYNC_BITBANG) {
    uint32_t room = RX_LIMIT - rxPending_;
    rxPending_ += count < room ? count : room;
  }
  bytesAccepted_ += count;
  if (written) *written = count;
  return ADAPTER_OK;
}

int NullAdapter::GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                           uint32_t* eventStatus) {
  if (rxQueued) *rxQueued = 0;
  if (txQueued) *txQueued = 0;
  if (eventStatus) *eventStatus = 0;
  if (!Valid(handle)) {
    return ADAPTER_INVALID_HANDLE;
  }
  if (rxQueued) *rxQueued = rxPending_;
  return ADAPTER_OK;
}

int NullAdapter::Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) {
  if (read) *read = 0;
  if (!Valid(handle)) {
    return ADAPTER_INVALID_HANDLE;
  }
  if (count > 0 && !buffer) {
    return ADAPTER_INVALID_PARAMETER;
  }
  uint32_t n = count < rxPending_ ? count : rxPending_;
  // Nothing drives TDO, so the input reads high through its pull-up.
  if (n > 0) {
    std::memset(buffer, (levels_ & PIN_DIRECTION_MASK) | PIN_TDO, n);
  }
  rxPending_ -= n;
  if (read) *read = n;
  return ADAPTER_OK;
}

int NullAdapter::Close(AdapterHandle handle) {
  if (!Valid(handle)) {
    return ADAPTER_INVALID_HANDLE;
  }
  open_ = false;
  return ADAPTER_OK;
}

int NullAdapter::Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count,
                          uint8_t* samples, uint32_t, uint32_t* written, uint32_t* read) {
  *written = 0;
  *read = 0;
  if (!Valid(handle)) {
    return ADAPTER_INVALID_HANDLE;
  }
  if (count > 0 && !data) {
    return ADAPTER_INVALID_PARAMETER;
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (samples) samples[i] = static_cast<uint8_t>((levels_ & PIN_DIRECTION_MASK) | PIN_TDO);
    levels_ = data[i];
  }
  bytesAccepted_ += count;
  *written = count;
  *read = count;
  return ADAPTER_OK;
}

void NullAdapter::Wait(uint32_t) {}

}  // namespace torvane
