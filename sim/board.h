// A simulated board behind a simulated FT232R: the adapter seam implemented by a model of
// the chip's bit-bang modes and a JTAG chain of device models. Deterministic and
// observable, with faults that can be injected; it models hardware, never the tool.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/adapter.h"
#include "sim/jtag_device.h"
#include "sim/sample_path.h"

namespace torvane::sim {

class Fpga;
class Prom;

enum class BoardKind {
  Xc3s200,       // an XC3S200 alone
  Xc3s400,       // an XC3S400 alone
  Xc3s1000,      // an XC3S1000 alone
  Prom200,       // TDI, XC3S200, XCF02S, TDO
  Prom400,       // TDI, XC3S400, XCF02S, TDO
  Prom1000,      // TDI, XC3S1000, XCF04S, TDO
  PromXcf01s,    // TDI, XC3S200, XCF01S, TDO
  None,          // no adapter: the open fails
  DeadHigh,      // an adapter with nothing attached, TDO pulled high
  DeadLow,       // an adapter with nothing attached, TDO stuck low
  PromJtagMode,  // TDI, XC3S200, XCF02S, TDO with mode pins that do not select the PROM
  PromStuck,     // TDI, XC3S200, XCF02S, TDO with a PROM block that does not take programming
};

// One simulated board as every list of them shows it, and the parts it carries.
struct BoardInfo {
  const char* name;  // "xc3s200", "prom", ...
  BoardKind kind;
  const char* description;
  uint32_t fpga;  // the IDCODE of the FPGA nearest TDI, 0 for none
  uint32_t prom;  // the IDCODE of the PROM behind it, 0 for none
};

// Every simulated board, in the order lists show them.
const std::vector<BoardInfo>& Boards();
// The names joined by `separator`, each after `prefix`: "sim:xc3s200, sim:xc3s400, ...".
std::string BoardNames(const char* prefix, const char* separator);
bool ParseBoardName(const std::string& name, BoardKind* kind);
const char* BoardName(BoardKind kind);

// The block of the PROM on the prom-stuck board that keeps an older image's bytes.
constexpr uint32_t STUCK_PROM_BLOCK = 1;

// Faults injected into the chip. Counts are 1-based call numbers; 0 means never.
struct FaultPlan {
  bool failOpen = false;           // the open finds no device
  uint32_t failWriteFrom = 0;      // this write and every later one fail
  uint32_t unplugAfterWrites = 0;  // after this many writes every call fails (cable pulled)
  bool failStatus = false;         // status queries fail
  uint32_t shortReadLimit = 0;     // a read returns at most this many bytes
};

// What a real cable would take for the traffic, for benchmarks: 1 MB/s on the USB bus in
// either direction, 1 ms for each USB round trip, the latency timer's hold on a partial
// packet, and the waits. Status queries cost nothing: the driver answers them itself.
struct CableTime {
  static constexpr uint64_t BUS_NS_PER_BYTE = 1000;
  static constexpr uint64_t ROUND_TRIP_NS = 1000000;
  uint64_t nanoseconds = 0;
  uint64_t writes = 0;  // round trips that took bytes out
  uint64_t reads = 0;   // round trips that brought samples back
};

class Board : public Adapter {
 public:
  static constexpr uint8_t DEFAULT_LATENCY_MS = 16;
  // The chip's buffer for bytes from the host; with its 128 samples, the most a
  // synchronous write can leave unread before the chip stops.
  static constexpr uint32_t CHIP_TX_BYTES = 256;
  // How long a write waits for a stopped chip before the driver gives it up.
  static constexpr uint32_t WRITE_TIMEOUT_MS = 5000;
  // The vendor's driver keeps this many of its USB transfers (the in size of the USB
  // parameters, 4096 bytes until set) of samples for the host.
  static constexpr uint32_t DRIVER_TRANSFERS = 4;
  // A streamed exchange moves its bytes in transfers of this size.
  static constexpr uint32_t STREAM_TRANSFER_BYTES = 4096;

  explicit Board(BoardKind kind);
  ~Board() override;

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
  // A streaming backend over this chip: a read in flight throughout, the bytes in
  // transfers of STREAM_TRANSFER_BYTES, each one write call for the faults and the hook;
  // the last partial packet waits for the latency timer.
  int Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count, uint8_t* samples,
               uint32_t boundMs, uint32_t* written, uint32_t* read) override;
  void Wait(uint32_t milliseconds) override;  // simulated time: returns at once

  BoardKind kind() const { return kind_; }
  FaultPlan& faults() { return faults_; }
  // Takes the board back to power-on with the cable plugged in again: faults cleared,
  // the chip at its default rate, its write log started anew; the flash keeps its bytes.
  void Replug();
  // Runs before each write call reaches the chip, with its 1-based call number: a test
  // acts at a chosen point of a download (a file rewritten, a stop asked for) without
  // sleeping. Survives Replug.
  using WriteHook = std::function<void(uint32_t writeCall)>;
  void SetWriteHook(WriteHook hook) { writeHook_ = std::move(hook); }

  // The latency timer the driver sets at each open: 16 ms unless a user changed it in the
  // driver's settings (up to 255). Survives Replug.
  void SetDriverLatency(uint8_t milliseconds) { driverLatencyMs_ = milliseconds; }
  // Who takes the samples from the chip: libftdi (the default, as the Linux builds drive
  // the cable), which leaves a synchronous write of more than 384 bytes to stall, or the
  // vendor's driver, which reads all the time. Survives Replug.
  void SetSampleDrain(SampleDrain drain) { samples_.SetDrain(drain); }

  // The chain, TDI side first; empty for the boards without devices.
  const std::vector<std::unique_ptr<JtagDevice>>& chain() const { return chain_; }
  Fpga* fpga() const { return fpga_; }
  Prom* prom() const { return prom_; }  // null on boards without a PROM

  // What the chip saw.
  bool isOpen() const { return open_; }
  uint8_t bitMode() const { return bitMode_; }
  uint8_t directionMask() const { return mask_; }
  uint32_t baudRate() const { return baud_; }
  uint8_t lines() const { return lines_; }
  uint64_t bytesWritten() const { return bytesWritten_; }
  uint32_t waitedMilliseconds() const { return waited_; }
  const std::vector<uint32_t>& writeSizes() const { return writeSizes_; }
  uint32_t openCount() const { return openCount_; }
  uint8_t latencyTimer() const { return latencyMs_; }
  // Board time: each byte written lasts one bit-bang byte period, each wait its length.
  uint64_t nowNanoseconds() const { return now_; }
  // The most samples taken in synchronous mode and not yet read by the host, at any moment
  // (the chip stalls when its small buffer fills).
  uint32_t maxUnreadSamples() const { return maxUnread_; }
  const CableTime& cableTime() const { return cable_; }

 private:
  bool Usable(AdapterHandle handle) const;
  int BeginWrite(AdapterHandle handle);
  uint32_t Clock(const uint8_t* data, uint32_t count);
  uint32_t ClockIdleRun(const uint8_t* data, uint32_t count);
  uint32_t ClockShiftRun(const uint8_t* data, uint32_t count);
  void RunFifo();
  uint32_t ClockOut(const uint8_t* data, uint32_t count);
  void ApplyByte(uint8_t byte);
  void TakeSample(uint8_t lines);
  bool ChainTdo() const;
  void PassTime(uint64_t nanoseconds);
  void DropSamples();
  uint32_t TakeSamples(uint8_t* out, uint32_t count);
  void CableCall(uint64_t* calls, uint64_t bytes);

  BoardKind kind_;
  FaultPlan faults_;
  std::vector<std::unique_ptr<JtagDevice>> chain_;
  Fpga* fpga_ = nullptr;
  Prom* prom_ = nullptr;

  bool open_ = false;
  bool unplugged_ = false;
  uint32_t openCount_ = 0;
  uint32_t writeCalls_ = 0;
  uint8_t bitMode_ = 0;
  uint8_t mask_ = 0;
  uint32_t baud_ = 0;
  uint8_t driverLatencyMs_ = DEFAULT_LATENCY_MS;
  uint8_t latencyMs_ = DEFAULT_LATENCY_MS;
  uint64_t now_ = 0;
  uint32_t bytePeriodNs_;
  SamplePath samples_;
  std::vector<uint8_t> txFifo_;  // bytes the chip holds and has not clocked out yet
  CableTime cable_;
  uint32_t maxUnread_ = 0;
  uint8_t lines_ = 0;
  uint64_t bytesWritten_ = 0;
  uint32_t waited_ = 0;
  std::vector<uint32_t> writeSizes_;
  WriteHook writeHook_;
};

std::unique_ptr<Board> MakeBoard(BoardKind kind);

}  // namespace torvane::sim
