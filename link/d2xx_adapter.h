// The vendor driver backend: the adapter seam on the ten calls of the FT232R's D2XX
// library, declared here in our own words, and the list of attached chips from two more.
// It owns the table of those calls, however they were found; loading the library
// (ftd2xx.dll) is the Windows front-end's part.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "link/adapter.h"
#include "link/cable_list.h"

namespace torvane {

// The driver's types: a 32-bit status (0 is success), 32-bit counts and an opaque handle.
using D2xxStatus = uint32_t;
using D2xxHandle = void*;

// The calls, with the driver's argument order. Windows on x64 has one calling convention,
// so these pointer types match the library's exports as they are.
struct D2xxFunctions {
  D2xxStatus (*openEx)(void* argument, uint32_t flags, D2xxHandle* handle);
  D2xxStatus (*setUsbParameters)(D2xxHandle handle, uint32_t inSize, uint32_t outSize);
  D2xxStatus (*setBitMode)(D2xxHandle handle, uint8_t mask, uint8_t mode);
  D2xxStatus (*setBaudRate)(D2xxHandle handle, uint32_t baud);
  D2xxStatus (*purge)(D2xxHandle handle, uint32_t mask);
  D2xxStatus (*write)(D2xxHandle handle, void* data, uint32_t count, uint32_t* written);
  D2xxStatus (*getStatus)(D2xxHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                          uint32_t* eventStatus);
  D2xxStatus (*read)(D2xxHandle handle, void* buffer, uint32_t count, uint32_t* read);
  D2xxStatus (*close)(D2xxHandle handle);
  D2xxStatus (*setLatencyTimer)(D2xxHandle handle, uint8_t milliseconds);
  // The device list, which older or trimmed libraries lack: both null then. The driver
  // fills at most 16 bytes of `serial` and 64 of `description`.
  D2xxStatus (*createDeviceInfoList)(uint32_t* count);
  D2xxStatus (*getDeviceInfoDetail)(uint32_t index, uint32_t* flags, uint32_t* type,
                                    uint32_t* id, uint32_t* locationId, char* serial,
                                    char* description, D2xxHandle* handle);
};

// A listed device's flag: another handle has it open, and its other fields are empty.
constexpr uint32_t D2XX_FLAG_OPENED = 1;
// The driver's number for the FT232R among the chips it serves.
constexpr uint32_t D2XX_TYPE_FT232R = 5;

constexpr const char* D2XX_LIBRARY_NAME = "ftd2xx.dll";

// Finds one exported call of the library by its name; null when it is missing.
using D2xxSymbolLookup = void* (*)(void* library, const char* name);

// Fills `functions` from a loaded library. False, with the table cleared, when any of the
// ten calls is missing: a library without all of them is no driver the tool can use. The
// two list calls are taken only as a pair, and their absence is no failure.
bool ResolveD2xxFunctions(D2xxSymbolLookup lookup, void* library, D2xxFunctions* functions);

class D2xxAdapter : public Adapter {
 public:
  // `functions` null: no driver library, and every open fails as with no device attached.
  explicit D2xxAdapter(const D2xxFunctions* functions);

  bool HasDriver() const { return hasDriver_; }
  // Later opens take the chip with this serial number; empty: by description.
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
  // Writes of half the driver's buffer (the in size of the last USB parameters), never
  // more unread than it holds: the driver reads the chip all the time.
  int Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count, uint8_t* samples,
               uint32_t boundMs, uint32_t* written, uint32_t* read) override;

  OpenProblem LastOpenProblemKind() const override { return problem_; }
  const char* LastOpenProblem() const override;

 private:
  D2xxFunctions functions_{};
  bool hasDriver_ = false;
  OpenProblem problem_ = OpenProblem::None;
  std::string serial_;
  uint32_t driverBuffer_ = DEFAULT_DRIVER_BUFFER;
};

// The lowest latency timer the driver documents; a request for less means this.
constexpr uint8_t D2XX_MIN_LATENCY_MS = 2;

// The FT232R chips the driver lists. Without a driver, or with one lacking the list
// calls, it cannot list. `tryOpen`: a chip no handle holds is opened by its serial number
// and closed again, which finds one whose serial port another program holds.
class D2xxCableList : public CableEnumerator {
 public:
  D2xxCableList(const D2xxFunctions* functions, bool tryOpen);
  bool List(std::vector<CableInfo>* cables, std::string* error) override;

 private:
  CableAccess TryOpen(const std::string& serial);

  D2xxFunctions functions_{};
  bool hasDriver_ = false;
  bool tryOpen_;
};

}  // namespace torvane
