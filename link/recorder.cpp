#include "link/recorder.h"

#include <cstring>

namespace torvane {

namespace {

// Large enough that a download's 8 KB writes (16 KB of hex) pass in a few fwrite calls.
constexpr size_t BUFFER_SIZE = 1 << 18;

struct HexTable {
  char pairs[512];
  constexpr HexTable() : pairs() {
    const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < 256; ++i) {
      pairs[2 * i] = digits[i >> 4];
      pairs[2 * i + 1] = digits[i & 0x0F];
    }
  }
};
constexpr HexTable HEX;

}  // namespace

Recorder::Recorder(Adapter& inner, std::FILE* out) : inner_(inner), out_(out) {
  if (out_) {
    buffer_.resize(BUFFER_SIZE);
  }
}

Recorder::~Recorder() { Flush(); }

bool Recorder::Flush() {
  if (out_ && used_ > 0) {
    if (std::fwrite(buffer_.data(), 1, used_, out_) != used_) {
      good_ = false;
    }
    used_ = 0;
  }
  if (out_ && std::fflush(out_) != 0) {
    good_ = false;
  }
  return good_;
}

void Recorder::Reserve(size_t bytes) {
  if (used_ + bytes > buffer_.size()) {
    size_t kept = used_;
    used_ = 0;
    if (kept > 0 && std::fwrite(buffer_.data(), 1, kept, out_) != kept) {
      good_ = false;
    }
  }
}

void Recorder::Text(const char* text) {
  if (!out_) {
    return;
  }
  size_t length = std::strlen(text);
  Reserve(length);
  std::memcpy(buffer_.data() + used_, text, length);
  used_ += length;
}

void Recorder::Number(uint32_t value) {
  char digits[12];
  char* end = digits + sizeof(digits);
  char* p = end;
  *--p = '\0';
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  Text(p);
}

void Recorder::Hex(const uint8_t* data, size_t count) {
  if (!out_ || !data) {
    return;
  }
  // Encoded a slice at a time so a write of any size fits the fixed buffer.
  while (count > 0) {
    Reserve(2);
    size_t room = (buffer_.size() - used_) / 2;
    size_t slice = count < room ? count : room;
    char* p = buffer_.data() + used_;
    for (size_t i = 0; i < slice; ++i) {
      std::memcpy(p + 2 * i, HEX.pairs + 2 * data[i], 2);
    }
    used_ += 2 * slice;
    data += slice;
    count -= slice;
  }
}

void Recorder::EndLine() { Text("\n"); }

int Recorder::Open(const char* description, AdapterHandle* handle) {
  int status = inner_.Open(description, handle);
  Text(status == ADAPTER_OK ? "open ok" : "open fail");
  EndLine();
  return status;
}

int Recorder::SetUsbParameters(AdapterHandle handle, uint32_t inSize, uint32_t outSize) {
  int status = inner_.SetUsbParameters(handle, inSize, outSize);
  Text("usbparams ");
  Number(inSize);
  Text(" ");
  Number(outSize);
  EndLine();
  return status;
}

int Recorder::SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) {
  int status = inner_.SetBitMode(handle, mask, mode);
  Text("bitmode 0x");
  Hex(&mask, 1);
  Text(" ");
  Number(mode);
  EndLine();
  return status;
}

int Recorder::SetBaudRate(AdapterHandle handle, uint32_t baud) {
  int status = inner_.SetBaudRate(handle, baud);
  Text("baud ");
  Number(baud);
  EndLine();
  return status;
}

int Recorder::Purge(AdapterHandle handle, uint32_t mask) {
  int status = inner_.Purge(handle, mask);
  Text("purge ");
  Number(mask);
  EndLine();
  return status;
}

int Recorder::SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) {
  int status = inner_.SetLatencyTimer(handle, milliseconds);
  Text("latency ");
  Number(milliseconds);
  EndLine();
  return status;
}

int Recorder::Write(AdapterHandle handle, const uint8_t* data, uint32_t count,
                    uint32_t* written) {
  uint32_t sent = 0;
  int status = inner_.Write(handle, data, count, &sent);
  if (written) *written = sent;
  Text("write");
  if (count > 0 && data) {
    Text(" ");
    Hex(data, count);
  }
  EndLine();
  return status;
}

int Recorder::GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                        uint32_t* eventStatus) {
  // The count is recorded even when the caller passes no place for it.
  uint32_t rx = 0;
  uint32_t tx = 0;
  uint32_t event = 0;
  int status = inner_.GetStatus(handle, &rx, &tx, &event);
  if (rxQueued) *rxQueued = rx;
  if (txQueued) *txQueued = tx;
  if (eventStatus) *eventStatus = event;
  Text("status ");
  Number(rx);
  EndLine();
  Flush();
  return status;
}

int Recorder::Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) {
  uint32_t got = 0;
  int status = inner_.Read(handle, buffer, count, &got);
  if (read) *read = got;
  Text("read ");
  Number(count);
  if (got > 0 && buffer) {
    Text(" ");
    Hex(buffer, got <= count ? got : count);
  }
  EndLine();
  return status;
}

int Recorder::Close(AdapterHandle handle) {
  int status = inner_.Close(handle);
  Text("close");
  EndLine();
  Flush();
  return status;
}

void Recorder::Wait(uint32_t milliseconds) {
  Text("sleep ");
  Number(milliseconds);
  EndLine();
  Flush();
  inner_.Wait(milliseconds);
}

}  // namespace torvane
