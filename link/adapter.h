// The adapter seam: the operations the tool needs of the USB adapter's driver library,
// shaped like the vendor calls. Every backend (real cable, simulated board, recorder)
// implements it; procedures only see this interface, through AdapterLink.
#pragma once

#include <cstdint>

namespace torvane {

using AdapterHandle = void*;

// Driver status codes. 0 is success; the others follow the vendor library's numbering
// so that a status read from any backend means the same thing.
constexpr int ADAPTER_OK = 0;
constexpr int ADAPTER_INVALID_HANDLE = 1;
constexpr int ADAPTER_DEVICE_NOT_FOUND = 2;
constexpr int ADAPTER_DEVICE_NOT_OPENED = 3;
constexpr int ADAPTER_IO_ERROR = 4;
constexpr int ADAPTER_INSUFFICIENT_RESOURCES = 5;
constexpr int ADAPTER_INVALID_PARAMETER = 6;
constexpr int ADAPTER_INVALID_BAUD_RATE = 7;
constexpr int ADAPTER_OTHER_ERROR = 17;
// The seam's own, no driver's: an exchange's samples stopped coming (late past its
// bound, or the driver failed to hand them over).
constexpr int ADAPTER_NO_ANSWER = 100;

constexpr uint32_t OPEN_BY_SERIAL_NUMBER = 1;
constexpr uint32_t OPEN_BY_DESCRIPTION = 2;
constexpr uint32_t PURGE_RX = 1;
constexpr uint32_t PURGE_TX = 2;
constexpr uint8_t BITMODE_ASYNC_BITBANG = 1;
constexpr uint8_t BITMODE_SYNC_BITBANG = 4;

// Why the last Open failed, in terms every backend can state, for a front-end to show or
// log with a hint of what to do.
enum class OpenProblem {
  None,
  DriverMissing,          // the driver library the backend loads is not installed
  UsbUnavailable,         // the USB library could not start
  NotAttached,            // no FT232R (0403:6001) on any bus
  NoMatchingDescription,  // FT232Rs attached, none with the description asked for
  NoPermission,           // the user may not open the USB device (udev rule missing)
  DeviceBusy,             // the serial port driver or another program holds it
  Other,
};

class Adapter {
 public:
  virtual ~Adapter() = default;

  // Opens the first adapter whose USB description equals `description`.
  virtual int Open(const char* description, AdapterHandle* handle) = 0;
  virtual int SetUsbParameters(AdapterHandle handle, uint32_t inSize, uint32_t outSize) = 0;
  virtual int SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) = 0;
  virtual int SetBaudRate(AdapterHandle handle, uint32_t baud) = 0;
  virtual int Purge(AdapterHandle handle, uint32_t mask) = 0;
  // How long the chip holds a partial USB packet of samples before sending it anyway
  // (1..255 ms; the driver starts from its own setting, 16 ms unless a user changed it).
  virtual int SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) = 0;
  virtual int Write(AdapterHandle handle, const uint8_t* data, uint32_t count, uint32_t* written) = 0;
  virtual int GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                        uint32_t* eventStatus) = 0;
  virtual int Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) = 0;
  virtual int Close(AdapterHandle handle) = 0;

  // One streamed exchange in synchronous bit-bang mode: `count` bytes clocked out and, for
  // each, the sample the chip took just before it, into `samples` (null: read and dropped).
  // Samples left unread from before come first. The backend keeps the chip from stalling
  // (a read in flight while it writes, or never more unread than its driver holds). A
  // refused write fails the exchange with the write's status; a sample that has not come
  // `boundMs` after the one before it, or a failed read, with ADAPTER_NO_ANSWER: nothing
  // waits for ever. `written` and `read` say how far it got. The default runs
  // ExchangeInSlices over the calls above with a driver buffer of DEFAULT_DRIVER_BUFFER.
  virtual int Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count,
                       uint8_t* samples, uint32_t boundMs, uint32_t* written, uint32_t* read);

  // The procedures' fixed waits. They belong to the adapter, not the window: a real cable
  // needs the time to pass, a simulated board runs in its own time and returns at once.
  virtual void Wait(uint32_t milliseconds);

  // Why the last Open failed: None and an empty text after a successful one, and from
  // backends that cannot tell (a simulated board).
  virtual OpenProblem LastOpenProblemKind() const { return OpenProblem::None; }
  virtual const char* LastOpenProblem() const { return ""; }
};

// Sleeps the calling thread; what Adapter::Wait does for real hardware.
void SleepMilliseconds(uint32_t milliseconds);

// The receive buffer a driver has before it is told another size: one USB transfer.
constexpr uint32_t DEFAULT_DRIVER_BUFFER = 4096;

// An exchange over the plain calls, for a driver that reads the chip all the time into a
// buffer of `window` bytes: writes of half the window, the next one written while the
// samples of the one before are still arriving, never more than the window unread; the
// samples are read as the status reports them, with a 1 ms wait when none have come.
int ExchangeInSlices(Adapter& adapter, AdapterHandle handle, const uint8_t* data,
                     uint32_t count, uint8_t* samples, uint32_t boundMs, uint32_t window,
                     uint32_t* written, uint32_t* read);

}  // namespace torvane
