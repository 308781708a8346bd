// A scripted fake adapter for the link tests: it keeps every write as one record, returns
// the statuses a test sets, and answers status and read from a queue the test fills.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "link/adapter.h"

namespace torvane {

class ScriptedAdapter : public Adapter {
 public:
  int openStatus = ADAPTER_OK;
  int callStatus = ADAPTER_OK;  // returned by every other call
  std::vector<uint8_t> rx;      // what status reports and read hands out
  std::vector<std::vector<uint8_t>> writes;
  std::vector<uint32_t> waits;

  int Open(const char*, AdapterHandle* handle) override {
    *handle = openStatus == ADAPTER_OK ? this : nullptr;
    return openStatus;
  }
  int SetUsbParameters(AdapterHandle, uint32_t, uint32_t) override { return callStatus; }
  int SetBitMode(AdapterHandle, uint8_t, uint8_t) override { return callStatus; }
  int SetBaudRate(AdapterHandle, uint32_t) override { return callStatus; }
  int Purge(AdapterHandle, uint32_t) override { return callStatus; }
  int SetLatencyTimer(AdapterHandle, uint8_t) override { return callStatus; }
  int Write(AdapterHandle, const uint8_t* data, uint32_t count, uint32_t* written) override {
    writes.emplace_back(data, data + count);
    *written = callStatus == ADAPTER_OK ? count : 0;
    return callStatus;
  }
  int GetStatus(AdapterHandle, uint32_t* rxQueued, uint32_t* txQueued,
                uint32_t* eventStatus) override {
    *rxQueued = static_cast<uint32_t>(rx.size());
    *txQueued = 0;
    *eventStatus = 0;
    return callStatus;
  }
  int Read(AdapterHandle, uint8_t* buffer, uint32_t count, uint32_t* read) override {
    uint32_t n = count < rx.size() ? count : static_cast<uint32_t>(rx.size());
    std::memcpy(buffer, rx.data(), n);
    rx.erase(rx.begin(), rx.begin() + n);
    *read = n;
    return callStatus;
  }
  int Close(AdapterHandle) override { return callStatus; }
  void Wait(uint32_t milliseconds) override { waits.push_back(milliseconds); }
};

}  // namespace torvane
