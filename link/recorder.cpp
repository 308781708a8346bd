#include "link/recorder.h"

namespace torvane {

namespace {

// Large enough that a download's 8 KB writes (16 KB of hex) pass in a few fwrite calls.
constexpr size_t DRAIN_BYTES = 1 << 18;

}  // namespace

Recorder::Recorder(Adapter& inner, std::FILE* out)
    : ForwardingAdapter(inner), sink_(out, DRAIN_BYTES) {}

Recorder::~Recorder() { Flush(); }

void Recorder::EndLine() {
  sink_.Put("\n");
  sink_.Drain(false);
}

int Recorder::Open(const char* description, AdapterHandle* handle) {
  int status = inner().Open(description, handle);
  sink_.Put(status == ADAPTER_OK ? "open ok" : "open fail");
  EndLine();
  return status;
}

int Recorder::SetUsbParameters(AdapterHandle handle, uint32_t inSize, uint32_t outSize) {
  int status = inner().SetUsbParameters(handle, inSize, outSize);
  sink_.Put("usbparams ");
  sink_.PutNumber(inSize);
  sink_.Put(" ");
  sink_.PutNumber(outSize);
  EndLine();
  return status;
}

int Recorder::SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) {
  int status = inner().SetBitMode(handle, mask, mode);
  sink_.Put("bitmode 0x");
  sink_.PutHex(&mask, 1);
  sink_.Put(" ");
  sink_.PutNumber(mode);
  EndLine();
  return status;
}

int Recorder::SetBaudRate(AdapterHandle handle, uint32_t baud) {
  int status = inner().SetBaudRate(handle, baud);
  sink_.Put("baud ");
  sink_.PutNumber(baud);
  EndLine();
  return status;
}

int Recorder::Purge(AdapterHandle handle, uint32_t mask) {
  int status = inner().Purge(handle, mask);
  sink_.Put("purge ");
  sink_.PutNumber(mask);
  EndLine();
  return status;
}

int Recorder::SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) {
  int status = inner().SetLatencyTimer(handle, milliseconds);
  sink_.Put("latency ");
  sink_.PutNumber(milliseconds);
  EndLine();
  return status;
}

int Recorder::Write(AdapterHandle handle, const uint8_t* data, uint32_t count,
                    uint32_t* written) {
  uint32_t sent = 0;
  int status = inner().Write(handle, data, count, &sent);
  if (written) *written = sent;
  PutWrite(data, count);
  return status;
}

void Recorder::PutWrite(const uint8_t* data, uint32_t count) {
  sink_.Put("write");
  if (count > 0 && data) {
    sink_.Put(" ");
    sink_.PutHex(data, count);
  }
  EndLine();
}

void Recorder::PutRead(uint32_t count, const uint8_t* samples, uint32_t got) {
  sink_.Put("read ");
  sink_.PutNumber(count);
  if (got > 0 && samples) {
    sink_.Put(" ");
    sink_.PutHex(samples, got <= count ? got : count);
  }
  EndLine();
}

int Recorder::GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                        uint32_t* eventStatus) {
  // The count is recorded even when the caller passes no place for it.
  uint32_t rx = 0;
  uint32_t tx = 0;
  uint32_t event = 0;
  int status = inner().GetStatus(handle, &rx, &tx, &event);
  if (rxQueued) *rxQueued = rx;
  if (txQueued) *txQueued = tx;
  if (eventStatus) *eventStatus = event;
  sink_.Put("status ");
  sink_.PutNumber(rx);
  EndLine();
  Flush();
  return status;
}

int Recorder::Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) {
  uint32_t got = 0;
  int status = inner().Read(handle, buffer, count, &got);
  if (read) *read = got;
  PutRead(count, buffer, got);
  return status;
}

int Recorder::Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count,
                       uint8_t* samples, uint32_t boundMs, uint32_t* written, uint32_t* read) {
  return ObserveExchange(handle, data, count, samples, boundMs, written, read,
                         [&](const uint8_t* seen, uint32_t, uint32_t got) {
                           PutWrite(data, count);
                           PutRead(count, seen, got);
                           Flush();
                         });
}

int Recorder::Close(AdapterHandle handle) {
  int status = inner().Close(handle);
  sink_.Put("close");
  EndLine();
  Flush();
  return status;
}

void Recorder::Wait(uint32_t milliseconds) {
  sink_.Put("sleep ");
  sink_.PutNumber(milliseconds);
  EndLine();
  Flush();
  inner().Wait(milliseconds);
}

}  // namespace torvane
