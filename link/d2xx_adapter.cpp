#include "link/d2xx_adapter.h"

#include <cstring>

namespace torvane {

namespace {

// The driver's own numbering is the seam's (link/adapter.h), so its statuses pass as
// they are.
int AsStatus(D2xxStatus status) { return static_cast<int>(status); }

// Resolves one call into a pointer of the table's type.
template <typename Function>
bool Resolve(D2xxSymbolLookup lookup, void* library, const char* name, Function* function) {
  void* address = lookup(library, name);
  if (address == nullptr) {
    return false;
  }
  // Object and function pointers share one representation on the systems the driver exists for.
  std::memcpy(function, &address, sizeof address);
  return true;
}

}  // namespace

bool ResolveD2xxFunctions(D2xxSymbolLookup lookup, void* library, D2xxFunctions* functions) {
  static_assert(sizeof(void*) == sizeof(D2xxFunctions::openEx),
                "the driver's calls are found as plain addresses");
  D2xxFunctions found{};
  bool complete = lookup != nullptr && library != nullptr &&
                  Resolve(lookup, library, "FT_OpenEx", &found.openEx) &&
                  Resolve(lookup, library, "FT_SetUSBParameters", &found.setUsbParameters) &&
                  Resolve(lookup, library, "FT_SetBitMode", &found.setBitMode) &&
                  Resolve(lookup, library, "FT_SetBaudRate", &found.setBaudRate) &&
                  Resolve(lookup, library, "FT_Purge", &found.purge) &&
                  Resolve(lookup, library, "FT_Write", &found.write) &&
                  Resolve(lookup, library, "FT_GetStatus", &found.getStatus) &&
                  Resolve(lookup, library, "FT_Read", &found.read) &&
                  Resolve(lookup, library, "FT_Close", &found.close) &&
                  Resolve(lookup, library, "FT_SetLatencyTimer", &found.setLatencyTimer);
  if (complete &&
      !(Resolve(lookup, library, "FT_CreateDeviceInfoList", &found.createDeviceInfoList) &&
        Resolve(lookup, library, "FT_GetDeviceInfoDetail", &found.getDeviceInfoDetail))) {
    found.createDeviceInfoList = nullptr;
    found.getDeviceInfoDetail = nullptr;
  }
  *functions = complete ? found : D2xxFunctions{};
  return complete;
}

D2xxAdapter::D2xxAdapter(const D2xxFunctions* functions) {
  if (functions != nullptr && functions->openEx != nullptr) {
    functions_ = *functions;
    hasDriver_ = true;
  }
}

int D2xxAdapter::Open(const char* description, AdapterHandle* handle) {
  *handle = nullptr;
  if (!hasDriver_) {
    problem_ = OpenProblem::DriverMissing;
    return ADAPTER_DEVICE_NOT_FOUND;
  }
  // The driver takes the description through an untyped argument and never writes to it.
  int status =
      serial_.empty()
          ? AsStatus(functions_.openEx(const_cast<char*>(description), OPEN_BY_DESCRIPTION, handle))
          : AsStatus(functions_.openEx(const_cast<char*>(serial_.c_str()), OPEN_BY_SERIAL_NUMBER,
                                       handle));
  switch (status) {
    case ADAPTER_OK:
      problem_ = OpenProblem::None;
      driverBuffer_ = DEFAULT_DRIVER_BUFFER;
      // The driver starts from its own latency timer, which users set as high as 255 ms:
      // the chip would hold a partial packet of samples that long, past the procedures'
      // 50 ms waits. Only shortens the wait; a driver that refuses it still works.
      functions_.setLatencyTimer(*handle, D2XX_MIN_LATENCY_MS);
      break;
    case ADAPTER_DEVICE_NOT_FOUND:
      problem_ = OpenProblem::NotAttached;
      break;
    case ADAPTER_DEVICE_NOT_OPENED:
      // The driver cannot open a chip whose serial port another program holds.
      problem_ = OpenProblem::DeviceBusy;
      break;
    default:
      problem_ = OpenProblem::Other;
      break;
  }
  return status;
}

const char* D2xxAdapter::LastOpenProblem() const {
  switch (problem_) {
    case OpenProblem::DriverMissing:
      return "the FT232R's driver library (ftd2xx.dll) is not installed";
    case OpenProblem::NotAttached:
      return "the driver finds no FT232R with the description \"FT232R USB UART\"";
    case OpenProblem::DeviceBusy:
      return "the FT232R is in use: another program holds its serial port";
    case OpenProblem::Other:
      return "the driver could not open the FT232R";
    default:
      return "";
  }
}

int D2xxAdapter::SetUsbParameters(AdapterHandle handle, uint32_t inSize, uint32_t outSize) {
  if (!hasDriver_) return ADAPTER_INVALID_HANDLE;
  int status = AsStatus(functions_.setUsbParameters(handle, inSize, outSize));
  if (status == ADAPTER_OK) driverBuffer_ = inSize;
  return status;
}

int D2xxAdapter::SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) {
  if (!hasDriver_) return ADAPTER_INVALID_HANDLE;
  return AsStatus(functions_.setBitMode(handle, mask, mode));
}

int D2xxAdapter::SetBaudRate(AdapterHandle handle, uint32_t baud) {
  if (!hasDriver_) return ADAPTER_INVALID_HANDLE;
  return AsStatus(functions_.setBaudRate(handle, baud));
}

int D2xxAdapter::Purge(AdapterHandle handle, uint32_t mask) {
  if (!hasDriver_) return ADAPTER_INVALID_HANDLE;
  return AsStatus(functions_.purge(handle, mask));
}

int D2xxAdapter::SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) {
  if (!hasDriver_) return ADAPTER_INVALID_HANDLE;
  if (milliseconds == 1) milliseconds = D2XX_MIN_LATENCY_MS;
  return AsStatus(functions_.setLatencyTimer(handle, milliseconds));
}

int D2xxAdapter::Write(AdapterHandle handle, const uint8_t* data, uint32_t count,
                       uint32_t* written) {
  if (written) *written = 0;
  if (!hasDriver_) return ADAPTER_INVALID_HANDLE;
  // The driver's buffer argument is not const, though a write only reads it.
  return AsStatus(functions_.write(handle, const_cast<uint8_t*>(data), count, written));
}

int D2xxAdapter::GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                           uint32_t* eventStatus) {
  if (rxQueued) *rxQueued = 0;
  if (txQueued) *txQueued = 0;
  if (eventStatus) *eventStatus = 0;
  if (!hasDriver_) return ADAPTER_INVALID_HANDLE;
  return AsStatus(functions_.getStatus(handle, rxQueued, txQueued, eventStatus));
}

int D2xxAdapter::Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) {
  if (read) *read = 0;
  if (!hasDriver_) return ADAPTER_INVALID_HANDLE;
  return AsStatus(functions_.read(handle, buffer, count, read));
}

int D2xxAdapter::Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count,
                          uint8_t* samples, uint32_t boundMs, uint32_t* written,
                          uint32_t* read) {
  return ExchangeInSlices(*this, handle, data, count, samples, boundMs, driverBuffer_, written,
                          read);
}

int D2xxAdapter::Close(AdapterHandle handle) {
  if (!hasDriver_) return ADAPTER_INVALID_HANDLE;
  return AsStatus(functions_.close(handle));
}

D2xxCableList::D2xxCableList(const D2xxFunctions* functions, bool tryOpen) : tryOpen_(tryOpen) {
  if (functions != nullptr && functions->openEx != nullptr) {
    functions_ = *functions;
    hasDriver_ = true;
  }
}

bool D2xxCableList::List(std::vector<CableInfo>* cables, std::string* error) {
  cables->clear();
  if (!hasDriver_) {
    *error = "the FT232R's driver library (ftd2xx.dll) is not installed";
    return false;
  }
  if (functions_.createDeviceInfoList == nullptr) {
    *error = "this version of the FT232R's driver library (ftd2xx.dll) cannot list the "
             "attached chips; name a cable with --serial";
    return false;
  }
  uint32_t count = 0;
  if (AsStatus(functions_.createDeviceInfoList(&count)) != ADAPTER_OK) {
    *error = "the driver could not list the attached FT232R chips";
    return false;
  }
  for (uint32_t index = 0; index < count; ++index) {
    uint32_t flags = 0, type = 0, id = 0, location = 0;
    // Room beyond the driver's own limits, so that every string ends.
    char serial[32] = {};
    char description[80] = {};
    D2xxHandle handle = nullptr;
    if (AsStatus(functions_.getDeviceInfoDetail(index, &flags, &type, &id, &location, serial,
                                                description, &handle)) != ADAPTER_OK) {
      continue;  // unplugged since the list was made
    }
    // A chip held elsewhere tells nothing but that, so it may be an FT232R and is listed.
    bool held = (flags & D2XX_FLAG_OPENED) != 0;
    if (!held && type != D2XX_TYPE_FT232R) continue;
    CableInfo cable;
    cable.description = description;
    cable.serial = serial;
    cable.access = held                               ? CableAccess::Busy
                   : tryOpen_ && !cable.serial.empty() ? TryOpen(cable.serial)
                                                       : CableAccess::Free;
    cables->push_back(cable);
  }
  return true;
}

CableAccess D2xxCableList::TryOpen(const std::string& serial) {
  D2xxHandle handle = nullptr;
  // The driver takes the serial number through an untyped argument and never writes to it.
  int status = AsStatus(
      functions_.openEx(const_cast<char*>(serial.c_str()), OPEN_BY_SERIAL_NUMBER, &handle));
  if (status == ADAPTER_OK) {
    functions_.close(handle);
    return CableAccess::Free;
  }
  return status == ADAPTER_DEVICE_NOT_OPENED ? CableAccess::Busy : CableAccess::Unknown;
}

}  // namespace torvane
