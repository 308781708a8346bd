// The base of the adapter decorators (recorder, waveform writer): every call goes to the
// wrapped backend unchanged, so a decorator overrides only the calls it observes.
#pragma once

#include <cstdint>

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

 private:
  Adapter& inner_;
};

}  // namespace torvane
