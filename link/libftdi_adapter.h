// The libftdi1 backend: the adapter seam on an FT232R through libftdi1 and libusb, for
// hosts without the vendor's driver library. It owns the open devices, a receive buffer
// per device that stands in for the vendor driver's receive queue, and the reason the last
// open failed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/adapter.h"
#include "link/cable_list.h"

namespace torvane {

class LibftdiAdapter : public Adapter {
 public:
  LibftdiAdapter();
  ~LibftdiAdapter() override;  // closes whatever is still open
  LibftdiAdapter(const LibftdiAdapter&) = delete;
  LibftdiAdapter& operator=(const LibftdiAdapter&) = delete;

  // Later opens take the chip with this USB serial number, whatever its description;
  // empty (the default): the first chip with the description Open is given.
  void SelectSerial(std::string serial) { serial_ = std::move(serial); }

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
  // libftdi's asynchronous transfers, a read in flight throughout (libftdi_stream.h).
  int Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count, uint8_t* samples,
               uint32_t boundMs, uint32_t* written, uint32_t* read) override;

  // A short human reason for the last failed Open; empty after a successful one.
  const char* LastOpenProblem() const override { return problemText_.c_str(); }
  OpenProblem LastOpenProblemKind() const override { return problem_; }

  struct Device;  // one open chip; defined beside the implementation

 private:
  Device* Find(AdapterHandle handle) const;
  int Fail(OpenProblem problem, std::string text, int status);

  std::vector<std::unique_ptr<Device>> devices_;
  std::string serial_;
  OpenProblem problem_ = OpenProblem::None;
  std::string problemText_;
};

// Every FT232R (USB 0403:6001) libusb sees, each opened for a moment without taking it
// from the kernel's serial driver: a chip that driver holds lists as busy.
class LibftdiCableList : public CableEnumerator {
 public:
  // `tryOpen` false: the strings alone, every access Unknown.
  explicit LibftdiCableList(bool tryOpen) : tryOpen_(tryOpen) {}
  bool List(std::vector<CableInfo>* cables, std::string* error) override;

 private:
  bool tryOpen_;
};

}  // namespace torvane
