// The discarding adapter: a cable with nothing behind it that costs no time. It opens,
// takes every byte and drops it, and answers with samples as a chip in bit-bang mode
// would, so the host's own cost of a procedure can be measured.
#pragma once

#include <cstdint>

#include "link/adapter.h"

namespace torvane {

class NullAdapter : public Adapter {
 public:
  int Open(const char* description, AdapterHandle* handle) override;
  int SetUsbParameters(AdapterHandle handle, uint32_t inSize, uint32_t outSize) override;
  int SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) override;
  int SetBaudRate(AdapterHandle handle, uint32_t baud) override;
  int Purge(AdapterHandle handle, uint32_t mask) override;
  int SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) override;
  int Write(AdapterHandle handle, const uint8_t* data, uint32_t count, uint32_t* written) override;
  int GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                uint32_t* eventStatus) override;
  int Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) override;
  int Close(AdapterHandle handle) override;
  // Every byte taken at once, each answered with the lines before it and TDO high.
  int Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count, uint8_t* samples,
               uint32_t boundMs, uint32_t* written, uint32_t* read) override;
  void Wait(uint32_t milliseconds) override;  // returns at once

  // Every byte accepted by Write since construction.
  uint64_t BytesAccepted() const { return bytesAccepted_; }

 private:
  bool Valid(AdapterHandle handle) const { return open_ && handle == this; }

  bool open_ = false;
  uint8_t mode_ = 0;
  uint8_t levels_ = 0;       // the output lines, as the last byte written left them
  uint32_t rxPending_ = 0;   // samples waiting to be read
  uint64_t bytesAccepted_ = 0;
};

}  // namespace torvane
