// The recorder: an Adapter that forwards every call to another backend and writes one
// text line per call to a trace file, failed calls included, so a session's traffic can
// be read back, compared and replayed by other tools.
#pragma once

#include <cstdint>
#include <cstdio>

#include "link/forwarding_adapter.h"
#include "link/text_sink.h"

namespace torvane {

// Trace lines, one per call (values decimal unless noted):
//   open ok | open fail
//   usbparams IN OUT
//   bitmode 0xMM MODE        mask as two upper-case hex digits
//   baud RATE
//   purge MASK
//   latency MS               the latency timer set
//   write HEX                the bytes handed to the write, upper-case hex, no spaces
//   status RX                the receive count the call returned
//   read COUNT HEX           the count asked, then the bytes returned
//   close
//   sleep MS                 a wait of the procedures
// A write or read that carries no bytes has no hex field: "write", "read 64". An exchange
// records as the write of its bytes and the read of its samples.
class Recorder : public ForwardingAdapter {
 public:
  // `out` is not owned and may be null (then calls are only forwarded). Lines are kept in
  // a large buffer and flushed at status, close and wait, and when the recorder is destroyed.
  Recorder(Adapter& inner, std::FILE* out);
  ~Recorder() override;
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

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
  int Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count, uint8_t* samples,
               uint32_t boundMs, uint32_t* written, uint32_t* read) override;
  void Wait(uint32_t milliseconds) override;

  // Writes out everything buffered. Returns false once any write to the file has failed.
  bool Flush() { return sink_.Drain(true); }
  bool Good() const { return sink_.good(); }

 private:
  void EndLine();
  void PutWrite(const uint8_t* data, uint32_t count);
  void PutRead(uint32_t count, const uint8_t* samples, uint32_t got);

  TextSink sink_;
};

}  // namespace torvane
