#include "link/adapter_link.h"

#include "link/vectors.h"

namespace torvane {

namespace {
// A link without a backend behaves like a driver with no device behind it.
constexpr int NO_BACKEND = ADAPTER_DEVICE_NOT_OPENED;
}  // namespace

int LinkOpen(AdapterLink& link) {
  link.handle = nullptr;
  int status = link.adapter ? link.adapter->Open(ADAPTER_DESCRIPTION, &link.handle)
                            : ADAPTER_DEVICE_NOT_FOUND;
  link.lastStatus = static_cast<uint32_t>(status);
  return status;
}

int LinkSetUsbParameters(AdapterLink& link, uint32_t inSize, uint32_t outSize) {
  int status = link.adapter ? link.adapter->SetUsbParameters(link.handle, inSize, outSize)
                            : NO_BACKEND;
  link.lastStatus = static_cast<uint32_t>(status);
  return status;
}

int LinkSetBitMode(AdapterLink& link, uint8_t mode) {
  int status = link.adapter ? link.adapter->SetBitMode(link.handle, PIN_DIRECTION_MASK, mode)
                            : NO_BACKEND;
  link.lastStatus = static_cast<uint32_t>(status);
  return status;
}

int LinkSetBaudRate(AdapterLink& link, uint32_t baud) {
  int status = link.adapter ? link.adapter->SetBaudRate(link.handle, baud) : NO_BACKEND;
  link.lastStatus = static_cast<uint32_t>(status);
  return status;
}

int LinkPurge(AdapterLink& link, uint32_t mask) {
  return link.adapter ? link.adapter->Purge(link.handle, mask) : NO_BACKEND;
}

int LinkSetLatencyTimer(AdapterLink& link, uint8_t milliseconds) {
  int status = link.adapter ? link.adapter->SetLatencyTimer(link.handle, milliseconds)
                            : NO_BACKEND;
  link.lastStatus = static_cast<uint32_t>(status);
  return status;
}

int LinkWrite(AdapterLink& link, const uint8_t* data, uint32_t count) {
  link.bytesWritten = 0;
  int status = link.adapter ? link.adapter->Write(link.handle, data, count, &link.bytesWritten)
                            : NO_BACKEND;
  if (status != ADAPTER_OK) ++link.failedWrites;
  return status;
}

int LinkGetStatus(AdapterLink& link) {
  link.rxQueued = 0;
  link.txQueued = 0;
  link.eventStatus = 0;
  return link.adapter ? link.adapter->GetStatus(link.handle, &link.rxQueued, &link.txQueued,
                                                &link.eventStatus)
                      : NO_BACKEND;
}

int LinkRead(AdapterLink& link, uint8_t* buffer, uint32_t count) {
  link.bytesRead = 0;
  return link.adapter ? link.adapter->Read(link.handle, buffer, count, &link.bytesRead)
                      : NO_BACKEND;
}

int LinkClose(AdapterLink& link) {
  int status = link.adapter ? link.adapter->Close(link.handle) : NO_BACKEND;
  link.handle = nullptr;
  return status;
}

void LinkWait(AdapterLink& link, uint32_t milliseconds) {
  if (link.adapter) {
    link.adapter->Wait(milliseconds);
  } else {
    SleepMilliseconds(milliseconds);
  }
}

int LinkExchange(AdapterLink& link, const uint8_t* data, uint32_t count, uint8_t* samples,
                 uint32_t boundMs) {
  link.bytesWritten = 0;
  link.bytesRead = 0;
  int status = link.adapter ? link.adapter->Exchange(link.handle, data, count, samples, boundMs,
                                                     &link.bytesWritten, &link.bytesRead)
                            : NO_BACKEND;
  if (status != ADAPTER_OK && status != ADAPTER_NO_ANSWER) ++link.failedWrites;
  link.lastStatus = static_cast<uint32_t>(status);
  return status;
}

}  // namespace torvane
