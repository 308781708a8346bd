#include "link/adapter.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace torvane {

namespace {
// Where samples nobody asked for go on their way out of the driver.
constexpr uint32_t DISCARD_BYTES = 4096;
}  // namespace

void SleepMilliseconds(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void Adapter::Wait(uint32_t milliseconds) { SleepMilliseconds(milliseconds); }

int Adapter::Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count,
                      uint8_t* samples, uint32_t boundMs, uint32_t* written, uint32_t* read) {
  return ExchangeInSlices(*this, handle, data, count, samples, boundMs, DEFAULT_DRIVER_BUFFER,
                          written, read);
}

int ExchangeInSlices(Adapter& adapter, AdapterHandle handle, const uint8_t* data,
                     uint32_t count, uint8_t* samples, uint32_t boundMs, uint32_t window,
                     uint32_t* written, uint32_t* read) {
  *written = 0;
  *read = 0;
  window = std::max<uint32_t>(window, 2);
  const uint32_t slice = window / 2;
  uint8_t discard[DISCARD_BYTES];
  uint32_t idleMs = 0;
  while (*read < count) {
    uint32_t next = std::min(slice, count - *written);
    if (next > 0 && *written - *read + next <= window) {
      uint32_t sent = 0;
      int status = adapter.Write(handle, data + *written, next, &sent);
      *written += std::min(sent, next);
      if (status != ADAPTER_OK) return status;
      if (sent < next) return ADAPTER_IO_ERROR;
      continue;
    }
    uint32_t queued = 0, txQueued = 0, event = 0;
    if (adapter.GetStatus(handle, &queued, &txQueued, &event) != ADAPTER_OK) {
      return ADAPTER_NO_ANSWER;
    }
    if (queued > 0) {
      uint32_t wanted = std::min(queued, count - *read);
      if (samples == nullptr) wanted = std::min(wanted, DISCARD_BYTES);
      uint32_t got = 0;
      int status = adapter.Read(handle, samples ? samples + *read : discard, wanted, &got);
      *read += std::min(got, wanted);
      if (status != ADAPTER_OK) return ADAPTER_NO_ANSWER;
      if (got > 0) {
        idleMs = 0;
        continue;
      }
    }
    if (idleMs >= boundMs) return ADAPTER_NO_ANSWER;
    adapter.Wait(1);
    ++idleMs;
  }
  return ADAPTER_OK;
}

}  // namespace torvane
