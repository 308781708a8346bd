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

namespace torvane {

// Why the last Open failed, for a front-end to give the user a useful hint.
enum class OpenProblem {
  NONE,
  USB_UNAVAILABLE,          // the USB library could not start
  NOT_ATTACHED,             // no FT232R (0403:6001) on any bus
  NO_MATCHING_DESCRIPTION,  // FT232Rs attached, none with the description asked for
  NO_PERMISSION,            // the user may not open the USB device (udev rule missing)
  DEVICE_BUSY,              // a kernel driver (ftdi_sio) or another program holds it
  OTHER,
};

class LibftdiAdapter : public Adapter {
 public:
  LibftdiAdapter();
  ~LibftdiAdapter() override;  // closes whatever is still open
  LibftdiAdapter(const LibftdiAdapter&) = delete;
  LibftdiAdapter& operator=(const LibftdiAdapter&) = delete;

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

  // A short human reason for the last failed Open; empty after a successful one.
  const char* LastOpenProblem() const { return problemText_.c_str(); }
  OpenProblem LastOpenProblemKind() const { return problem_; }

  struct Device;  // one open chip; defined beside the implementation

 private:
  Device* Find(AdapterHandle handle) const;
  int Fail(OpenProblem problem, std::string text, int status);

  std::vector<std::unique_ptr<Device>> devices_;
  OpenProblem problem_ = OpenProblem::NONE;
  std::string problemText_;
};

}  // namespace torvane
