#include "link/libftdi_adapter.h"

#include <ftdi.h>

#include <chrono>
#include <climits>
#include <cstring>

#include "link/libftdi_stream.h"

namespace torvane {

namespace {

constexpr int FTDI_VENDOR = 0x0403;
constexpr int FT232R_PRODUCT = 0x6001;

// In synchronous bit-bang mode the chip stops clocking bytes out while its receive FIFO
// is full, so no more than this many samples may be left unread at any time.
constexpr uint32_t SYNC_CHUNK = 128;
// How long a drain or read waits without a single new byte before giving up.
constexpr auto PATIENCE = std::chrono::milliseconds(1000);
// The most GetStatus collects from the chip into the receive buffer; enough for any verdict.
constexpr size_t STATUS_COLLECT_LIMIT = 65536;
constexpr int READ_SLICE = 4096;
// Samples come back in 64-byte packets or when the latency timer runs out; the chip's
// default of 16 ms would make every short synchronous exchange wait that long.
constexpr unsigned char LATENCY_MS = 2;

}  // namespace

struct LibftdiAdapter::Device {
  ftdi_context* ftdi = nullptr;
  uint8_t mode = 0;
  // Samples read from the chip and not yet handed to the caller: the receive queue.
  std::vector<uint8_t> rx;
  size_t rxHead = 0;

  size_t Pending() const { return rx.size() - rxHead; }

  // Reads up to `limit` bytes the chip has ready into the queue; returns the count or a
  // negative libftdi error.
  int Collect(size_t limit) {
    if (rxHead > 0 && rxHead * 2 >= rx.size()) {
      rx.erase(rx.begin(), rx.begin() + static_cast<std::ptrdiff_t>(rxHead));
      rxHead = 0;
    }
    int slice = limit < static_cast<size_t>(READ_SLICE) ? static_cast<int>(limit) : READ_SLICE;
    size_t old = rx.size();
    rx.resize(old + static_cast<size_t>(slice));
    int got = ftdi_read_data(ftdi, rx.data() + old, slice);
    rx.resize(old + (got > 0 ? static_cast<size_t>(got) : 0));
    return got;
  }

  // Collects until `wanted` bytes are queued or the chip stays silent for PATIENCE.
  int CollectUntil(size_t wanted, bool& silent) {
    silent = false;
    auto lastProgress = std::chrono::steady_clock::now();
    while (Pending() < wanted) {
      int got = Collect(wanted - Pending());
      if (got < 0) {
        return got;
      }
      auto now = std::chrono::steady_clock::now();
      if (got > 0) {
        lastProgress = now;
      } else if (now - lastProgress > PATIENCE) {
        silent = true;
        return 0;
      }
    }
    return 0;
  }
};

LibftdiAdapter::LibftdiAdapter() = default;

LibftdiAdapter::~LibftdiAdapter() {
  for (auto& device : devices_) {
    ftdi_usb_close(device->ftdi);
    ftdi_free(device->ftdi);
  }
}

LibftdiAdapter::Device* LibftdiAdapter::Find(AdapterHandle handle) const {
  if (!handle) {
    return nullptr;
  }
  for (const auto& device : devices_) {
    if (device.get() == handle) {
      return device.get();
    }
  }
  return nullptr;
}

int LibftdiAdapter::Fail(OpenProblem problem, std::string text, int status) {
  problem_ = problem;
  problemText_ = std::move(text);
  return status;
}

int LibftdiAdapter::Open(const char* description, AdapterHandle* handle) {
  if (!handle || !description) {
    if (handle) *handle = nullptr;
    return Fail(OpenProblem::Other, "no adapter description was given",
                ADAPTER_INVALID_PARAMETER);
  }
  *handle = nullptr;
  ftdi_context* ftdi = ftdi_new();
  if (!ftdi) {
    return Fail(OpenProblem::UsbUnavailable, "the USB library could not be started",
                ADAPTER_DEVICE_NOT_FOUND);
  }
  const char* serial = serial_.empty() ? nullptr : serial_.c_str();
  int result = ftdi_usb_open_desc(ftdi, FTDI_VENDOR, FT232R_PRODUCT, serial ? nullptr : description,
                                  serial);
  if (result < 0) {
    std::string detail = std::string(" (") + ftdi_get_error_string(ftdi) + ")";
    int status = ADAPTER_DEVICE_NOT_OPENED;
    if (result == -3) {
      ftdi_device_list* list = nullptr;
      int attached = ftdi_usb_find_all(ftdi, &list, FTDI_VENDOR, FT232R_PRODUCT);
      ftdi_list_free(&list);
      if (serial) {
        Fail(OpenProblem::NotAttached, "no FT232R with the serial number '" + serial_ +
                                           "' is attached" + detail, 0);
      } else if (attached > 0) {
        Fail(OpenProblem::NoMatchingDescription,
             "an FT232R is attached, but none with the description \"" +
                 std::string(description) + "\"" + detail,
             0);
      } else {
        Fail(OpenProblem::NotAttached, "no FT232R (USB 0403:6001) is attached" + detail, 0);
      }
      status = ADAPTER_DEVICE_NOT_FOUND;
    } else if (result == -4 || result == -8) {
      // libftdi must open each FT232R to read its description; refused access shows here.
      Fail(OpenProblem::NoPermission,
           "no permission to open the FT232R's USB device; install the udev rule" + detail, 0);
    } else if (result == -5) {
      Fail(OpenProblem::DeviceBusy,
           "the FT232R is held by another driver or program (the kernel's ftdi_sio "
           "driver, or another tool)" + detail,
           0);
    } else {
      Fail(OpenProblem::Other, "the FT232R could not be opened" + detail, 0);
      status = (result == -12 || result == -13) ? ADAPTER_IO_ERROR : ADAPTER_DEVICE_NOT_OPENED;
    }
    ftdi_free(ftdi);
    return status;
  }
  // Only shortens the wait for samples; a chip that refuses it still works.
  ftdi_set_latency_timer(ftdi, LATENCY_MS);
  auto device = std::make_unique<Device>();
  device->ftdi = ftdi;
  *handle = device.get();
  devices_.push_back(std::move(device));
  problem_ = OpenProblem::None;
  problemText_.clear();
  return ADAPTER_OK;
}

int LibftdiAdapter::SetUsbParameters(AdapterHandle handle, uint32_t inSize, uint32_t outSize) {
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  // Transfer sizes are whole 64-byte packets up to 64 KB; an out size of 0 leaves it as is.
  auto valid = [](uint32_t size) { return size >= 64 && size <= 65536 && size % 64 == 0; };
  if (!valid(inSize) || (outSize != 0 && !valid(outSize))) {
    return ADAPTER_INVALID_PARAMETER;
  }
  if (ftdi_read_data_set_chunksize(device->ftdi, inSize) < 0) {
    return ADAPTER_IO_ERROR;
  }
  if (outSize != 0 && ftdi_write_data_set_chunksize(device->ftdi, outSize) < 0) {
    return ADAPTER_IO_ERROR;
  }
  return ADAPTER_OK;
}

int LibftdiAdapter::SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) {
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  // The vendor's mode numbers (0 reset, 1 asynchronous, 4 synchronous) are the chip's own.
  if (ftdi_set_bitmode(device->ftdi, mask, mode) < 0) {
    return ADAPTER_IO_ERROR;
  }
  device->mode = mode;
  return ADAPTER_OK;
}

int LibftdiAdapter::SetBaudRate(AdapterHandle handle, uint32_t baud) {
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  // The vendor driver programs the divisor for the rate as given, bit-bang or not; libftdi
  // multiplies the rate by 4 while bit-bang is on (so 921600 becomes an impossible
  // 3686400). Handing it a quarter of the rate makes it program the vendor's divisor
  // through its public call: exact for every rate divisible by 4, which every standard rate
  // from 300 up is, and within two baud otherwise.
  uint32_t rate = device->ftdi->bitbang_enabled ? (baud + 2) / 4 : baud;
  if (rate == 0 || rate > static_cast<uint32_t>(INT_MAX)) {
    return ADAPTER_INVALID_BAUD_RATE;
  }
  int result = ftdi_set_baudrate(device->ftdi, static_cast<int>(rate));
  if (result == -1) {
    return ADAPTER_INVALID_BAUD_RATE;
  }
  return result < 0 ? ADAPTER_IO_ERROR : ADAPTER_OK;
}

int LibftdiAdapter::Purge(AdapterHandle handle, uint32_t mask) {
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  // tciflush drops what the chip received for the host (plus libftdi's own copy), tcoflush
  // what the host sent and the chip has not clocked out: the vendor's RX and TX purges.
  // The older ftdi_usb_purge_*_buffer calls had those directions swapped.
  bool rx = (mask & PURGE_RX) != 0;
  bool tx = (mask & PURGE_TX) != 0;
  int result = 0;
  if (rx && tx) {
    result = ftdi_tcioflush(device->ftdi);
  } else if (rx) {
    result = ftdi_tciflush(device->ftdi);
  } else if (tx) {
    result = ftdi_tcoflush(device->ftdi);
  }
  if (rx) {
    device->rx.clear();
    device->rxHead = 0;
  }
  return result < 0 ? ADAPTER_IO_ERROR : ADAPTER_OK;
}

int LibftdiAdapter::SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) {
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  int result = ftdi_set_latency_timer(device->ftdi, milliseconds);
  if (result == -1) {
    return ADAPTER_INVALID_PARAMETER;  // libftdi refuses 0 as the vendor driver does
  }
  return result < 0 ? ADAPTER_IO_ERROR : ADAPTER_OK;
}

int LibftdiAdapter::Write(AdapterHandle handle, const uint8_t* data, uint32_t count,
                          uint32_t* written) {
  if (written) *written = 0;
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  if ((count > 0 && !data) || count > static_cast<uint32_t>(INT_MAX)) {
    return ADAPTER_INVALID_PARAMETER;
  }
  if (device->mode != BITMODE_SYNC_BITBANG) {
    int result = count > 0 ? ftdi_write_data(device->ftdi, data, static_cast<int>(count)) : 0;
    if (result < 0) {
      return ADAPTER_IO_ERROR;
    }
    if (written) *written = static_cast<uint32_t>(result);
    return ADAPTER_OK;
  }
  // Synchronous: each byte clocked out queues one sample, and the chip stalls on a full
  // receive FIFO, so the bytes go out in short runs with their samples drained in between.
  uint32_t done = 0;
  while (done < count) {
    uint32_t run = count - done < SYNC_CHUNK ? count - done : SYNC_CHUNK;
    size_t before = device->Pending();
    int result = ftdi_write_data(device->ftdi, data + done, static_cast<int>(run));
    if (result < 0) {
      return ADAPTER_IO_ERROR;
    }
    size_t expected = before + static_cast<size_t>(result);
    done += static_cast<uint32_t>(result);
    if (written) *written = done;
    bool silent = false;
    if (device->CollectUntil(expected, silent) < 0 || silent) {
      return ADAPTER_IO_ERROR;
    }
  }
  return ADAPTER_OK;
}

int LibftdiAdapter::GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                              uint32_t* eventStatus) {
  if (rxQueued) *rxQueued = 0;
  if (txQueued) *txQueued = 0;
  if (eventStatus) *eventStatus = 0;
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  // libftdi cannot ask the chip how much it holds: what it has ready is fetched into the
  // receive queue instead, and later reads are served from there.
  int status = ADAPTER_OK;
  if (device->Pending() < STATUS_COLLECT_LIMIT &&
      device->Collect(STATUS_COLLECT_LIMIT - device->Pending()) < 0) {
    status = ADAPTER_IO_ERROR;
  }
  size_t pending = device->Pending();
  if (rxQueued) *rxQueued = pending > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(pending);
  return status;
}

int LibftdiAdapter::Read(AdapterHandle handle, uint8_t* buffer, uint32_t count,
                         uint32_t* read) {
  if (read) *read = 0;
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  if (count > 0 && !buffer) {
    return ADAPTER_INVALID_PARAMETER;
  }
  // Like the vendor driver's read with a timeout: short when the chip stays silent.
  bool silent = false;
  int status = device->CollectUntil(count, silent) < 0 ? ADAPTER_IO_ERROR : ADAPTER_OK;
  size_t n = device->Pending() < count ? device->Pending() : count;
  if (n > 0) {
    std::memcpy(buffer, device->rx.data() + device->rxHead, n);
    device->rxHead += n;
  }
  if (read) *read = static_cast<uint32_t>(n);
  return status;
}

int LibftdiAdapter::Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count,
                             uint8_t* samples, uint32_t boundMs, uint32_t* written,
                             uint32_t* read) {
  *written = 0;
  *read = 0;
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  if ((count > 0 && !data) || count > static_cast<uint32_t>(INT_MAX) ||
      device->mode != BITMODE_SYNC_BITBANG) {
    return ADAPTER_INVALID_PARAMETER;
  }
  // Samples the receive queue still holds come first; as many of this exchange's own stay
  // queued behind them.
  std::vector<uint8_t> fresh(count);
  int status = StreamThroughLibftdi(device->ftdi, data, count, fresh.data(), boundMs, written,
                                    read);
  std::vector<uint8_t> all(device->rx.begin() + static_cast<std::ptrdiff_t>(device->rxHead),
                           device->rx.end());
  all.insert(all.end(), fresh.begin(), fresh.begin() + *read);
  uint32_t handed = static_cast<uint32_t>(all.size() < count ? all.size() : count);
  if (samples && handed > 0) std::memcpy(samples, all.data(), handed);
  device->rx.assign(all.begin() + handed, all.end());
  device->rxHead = 0;
  *read = handed;
  return status;
}

int LibftdiAdapter::Close(AdapterHandle handle) {
  Device* device = Find(handle);
  if (!device) {
    return ADAPTER_INVALID_HANDLE;
  }
  int result = ftdi_usb_close(device->ftdi);
  ftdi_free(device->ftdi);
  for (auto it = devices_.begin(); it != devices_.end(); ++it) {
    if (it->get() == device) {
      devices_.erase(it);
      break;
    }
  }
  return result < 0 ? ADAPTER_IO_ERROR : ADAPTER_OK;
}

bool LibftdiCableList::List(std::vector<CableInfo>* cables, std::string* error) {
  cables->clear();
  ftdi_context* ftdi = ftdi_new();
  if (!ftdi) {
    *error = "the USB library could not be started";
    return false;
  }
  ftdi_device_list* list = nullptr;
  int found = ftdi_usb_find_all(ftdi, &list, FTDI_VENDOR, FT232R_PRODUCT);
  if (found < 0) {
    *error = std::string("the USB devices could not be listed (") +
             ftdi_get_error_string(ftdi) + ")";
    ftdi_free(ftdi);
    return false;
  }
  for (ftdi_device_list* at = list; at; at = at->next) {
    CableInfo cable;
    char description[128] = {};
    char serial[128] = {};
    int strings = ftdi_usb_get_strings(ftdi, at->dev, nullptr, 0, description, sizeof description,
                                       serial, sizeof serial);
    cable.description = description;
    cable.serial = serial;
    if (strings == -4) {
      cable.access = CableAccess::NoPermission;
    } else if (tryOpen_) {
      // A trial open that leaves a kernel driver in place: claiming the interface then
      // fails while that driver (or another program) holds the chip.
      ftdi_context* trial = ftdi_new();
      if (trial) {
        trial->module_detach_mode = DONT_DETACH_SIO_MODULE;
        int opened = ftdi_usb_open_dev(trial, at->dev);
        cable.access = opened == 0    ? CableAccess::Free
                       : opened == -5 ? CableAccess::Busy
                       : opened == -4 || opened == -8 ? CableAccess::NoPermission
                                                      : CableAccess::Unknown;
        if (opened == 0) ftdi_usb_close(trial);
        ftdi_free(trial);
      }
    }
    cables->push_back(cable);
  }
  ftdi_list_free(&list);
  ftdi_free(ftdi);
  return true;
}

}  // namespace torvane
