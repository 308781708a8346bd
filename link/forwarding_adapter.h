// The base of the adapter decorators (recorder, waveform writer): every call goes to the
// wrapped backend unchanged, so a decorator overrides only the calls it observes.
#pragma once

#include <cstdint>
#include <vector>

#include "link/adapter.h"

namespace torvane {

class ForwardingAdapter : public Adapter {
 public:
  explicit ForwardingAdapter(Adapter& inner) : inner_(inner) {}

  int Open(const char* description, AdapterHandle* handle) override {
    return inner_.Open(description, handle);
  }
  int SetUsbParameters(AdapterHandle handle, uint32_t inSize, uint32_t outSize) override {
    return inner_.SetUsbParameters(handle, inSize, outSize);
  }
  int SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) override {
    return inner_.SetBitMode(handle, mask, mode);
  }
  int SetBaudRate(AdapterHandle handle, uint32_t baud) override {
    return inner_.SetBaudRate(handle, baud);
  }
  int SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) override {
    return inner_.SetLatencyTimer(handle, milliseconds);
  }
  int Purge(AdapterHandle handle, uint32_t mask) override { return inner_.Purge(handle, mask); }
  int Write(AdapterHandle handle, const uint8_t* data, uint32_t count,
            uint32_t* written) override {
    return inner_.Write(handle, data, count, written);
  }
  int GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                uint32_t* eventStatus) override {
    return inner_.GetStatus(handle, rxQueued, txQueued, eventStatus);
  }
  int Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) override {
    return inner_.Read(handle, buffer, count, read);
  }
  int Close(AdapterHandle handle) override { return inner_.Close(handle); }
  int Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count, uint8_t* samples,
               uint32_t boundMs, uint32_t* written, uint32_t* read) override {
    return inner_.Exchange(handle, data, count, samples, boundMs, written, read);
  }
  void Wait(uint32_t milliseconds) override { inner_.Wait(milliseconds); }

 protected:
  Adapter& inner() { return inner_; }

  // Forwards an exchange and hands `observe` the bytes' samples, even those the caller
  // drops: observe(samples, bytes the backend took, samples it returned).
  template <typename Observe>
  int ObserveExchange(AdapterHandle handle, const uint8_t* data, uint32_t count,
                      uint8_t* samples, uint32_t boundMs, uint32_t* written, uint32_t* read,
                      Observe observe) {
    std::vector<uint8_t> own(samples == nullptr ? count : 0);
    uint8_t* into = samples ? samples : own.data();
    uint32_t sent = 0;
    uint32_t got = 0;
    int status = inner_.Exchange(handle, data, count, into, boundMs, &sent, &got);
    if (written) *written = sent;
    if (read) *read = got;
    observe(static_cast<const uint8_t*>(into), sent < count ? sent : count,
            got < count ? got : count);
    return status;
  }

 private:
  Adapter& inner_;
};

}  // namespace torvane
