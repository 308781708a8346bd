#include "sim/board.h"

#include <algorithm>
#include <cstring>

#include "link/adapter_link.h"
#include "link/vcd_writer.h"
#include "procedures/parts.h"
#include "sim/fpga.h"
#include "sim/prom.h"

namespace torvane::sim {

namespace {

constexpr uint8_t LINE_TCK = 0x40;
constexpr uint8_t LINE_TMS = 0x08;
constexpr uint8_t LINE_TDI = 0x80;
constexpr uint8_t LINE_TDO = 0x20;
constexpr uint8_t BITMODE_RESET = 0;
constexpr uint64_t NS_PER_MS = 1000000;

bool IsBitBang(uint8_t mode) {
  return mode == BITMODE_SYNC_BITBANG || mode == BITMODE_ASYNC_BITBANG;
}

const BoardInfo* FindBoard(BoardKind kind) {
  for (const BoardInfo& entry : Boards()) {
    if (entry.kind == kind) return &entry;
  }
  return nullptr;
}

}  // namespace

const std::vector<BoardInfo>& Boards() {
  static const std::vector<BoardInfo> boards = {
      {"xc3s200", BoardKind::Xc3s200, "an XC3S200 alone", IDCODE_XC3S200, 0},
      {"xc3s400", BoardKind::Xc3s400, "an XC3S400 alone", IDCODE_XC3S400, 0},
      {"xc3s1000", BoardKind::Xc3s1000, "an XC3S1000 alone", IDCODE_XC3S1000, 0},
      {"prom", BoardKind::Prom200, "an XC3S200 then the XCF02S it boots from", IDCODE_XC3S200,
       IDCODE_PROM_XCF02S},
      {"prom400", BoardKind::Prom400, "an XC3S400 then the XCF02S it boots from",
       IDCODE_XC3S400, IDCODE_PROM_XCF02S},
      {"prom1000", BoardKind::Prom1000, "an XC3S1000 then the XCF04S it boots from",
       IDCODE_XC3S1000, IDCODE_PROM_XCF04S},
      {"prom-xcf01s", BoardKind::PromXcf01s, "an XC3S200 then the XCF01S it boots from",
       IDCODE_XC3S200, IDCODE_PROM_XCF01S},
      {"prom-jtagmode", BoardKind::PromJtagMode,
       "an XC3S200 then an XCF02S, mode pins set for JTAG: it never boots from the PROM",
       IDCODE_XC3S200, IDCODE_PROM_XCF02S},
      {"prom-stuck", BoardKind::PromStuck,
       "an XC3S200 then an XCF02S whose second block does not take programming",
       IDCODE_XC3S200, IDCODE_PROM_XCF02S},
      {"none", BoardKind::None, "no adapter", 0, 0},
      {"dead", BoardKind::DeadHigh, "an adapter with nothing attached, TDO high", 0, 0},
      {"dead0", BoardKind::DeadLow, "an adapter with nothing attached, TDO low", 0, 0},
  };
  return boards;
}

std::string BoardNames(const char* prefix, const char* separator) {
  std::string names;
  for (const BoardInfo& board : Boards()) {
    if (!names.empty()) names += separator;
    names += prefix;
    names += board.name;
  }
  return names;
}

bool ParseBoardName(const std::string& name, BoardKind* kind) {
  for (const BoardInfo& entry : Boards()) {
    if (name == entry.name) {
      *kind = entry.kind;
      return true;
    }
  }
  return false;
}

const char* BoardName(BoardKind kind) {
  const BoardInfo* info = FindBoard(kind);
  return info ? info->name : "?";
}

Board::Board(BoardKind kind)
    : kind_(kind), bytePeriodNs_(BytePeriodNanoseconds(CHIP_DEFAULT_BAUD_RATE)) {
  const BoardInfo* info = FindBoard(kind);
  if (info && info->fpga) {
    auto fpga = std::make_unique<Fpga>(*FindPart(info->fpga));
    fpga_ = fpga.get();
    fpga_->UseClock(&now_);
    chain_.push_back(std::move(fpga));
  }
  if (info && info->prom) {
    auto prom = std::make_unique<Prom>(*FindPart(info->prom));
    prom_ = prom.get();
    chain_.push_back(std::move(prom));
    // With the mode pins on master serial, CONFIG pulses PROG and the FPGA boots from
    // the PROM's bytes.
    if (kind != BoardKind::PromJtagMode) {
      prom_->SetConfigPin([this] { fpga_->LoadFromProm(prom_->memory()); });
    }
    if (kind == BoardKind::PromStuck) {
      prom_->SetStuckBlock(STUCK_PROM_BLOCK);
    }
  }
}

Board::~Board() = default;

void Board::Replug() {
  faults_ = FaultPlan{};
  unplugged_ = false;
  open_ = false;
  writeCalls_ = 0;
  writeSizes_.clear();
  bitMode_ = BITMODE_RESET;
  baud_ = 0;
  bytePeriodNs_ = BytePeriodNanoseconds(CHIP_DEFAULT_BAUD_RATE);
  lines_ = 0;
  DropSamples();
  for (auto& device : chain_) device->PowerOn();
}

bool Board::Usable(AdapterHandle handle) const {
  return open_ && !unplugged_ && handle == static_cast<const void*>(this);
}

int Board::Open(const char* description, AdapterHandle* handle) {
  *handle = nullptr;
  if (kind_ == BoardKind::None || faults_.failOpen || unplugged_ || description == nullptr ||
      std::strcmp(description, ADAPTER_DESCRIPTION) != 0) {
    return ADAPTER_DEVICE_NOT_FOUND;
  }
  // The driver keeps one handle per device: a second open of an open device fails.
  if (open_) {
    return ADAPTER_DEVICE_NOT_OPENED;
  }
  open_ = true;
  ++openCount_;
  latencyMs_ = driverLatencyMs_;
  samples_.SetLatency(latencyMs_ * NS_PER_MS);
  samples_.SetHostCapacity(DRIVER_TRANSFERS * DEFAULT_DRIVER_BUFFER);
  *handle = this;
  return ADAPTER_OK;
}

int Board::SetUsbParameters(AdapterHandle handle, uint32_t inSize, uint32_t) {
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  // Whole 64-byte packets, up to 64 KB.
  if (inSize < 64 || inSize > 65536 || inSize % 64 != 0) return ADAPTER_INVALID_PARAMETER;
  samples_.SetHostCapacity(DRIVER_TRANSFERS * inSize);
  return ADAPTER_OK;
}

int Board::SetBitMode(AdapterHandle handle, uint8_t mask, uint8_t mode) {
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  mask_ = mask;
  bitMode_ = mode;
  return ADAPTER_OK;
}

int Board::SetBaudRate(AdapterHandle handle, uint32_t baud) {
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (baud == 0 || baud > 3000000) return ADAPTER_INVALID_BAUD_RATE;
  baud_ = baud;
  bytePeriodNs_ = BytePeriodNanoseconds(baud);
  return ADAPTER_OK;
}

int Board::Purge(AdapterHandle handle, uint32_t mask) {
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (mask & PURGE_TX) {
    txFifo_.clear();
  }
  if (mask & PURGE_RX) {
    samples_.Clear();  // the chip's partial packet goes too
    RunFifo();         // and a chip that had stopped for room goes on
  }
  return ADAPTER_OK;
}

int Board::SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) {
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (milliseconds == 0) return ADAPTER_INVALID_PARAMETER;
  latencyMs_ = milliseconds;
  samples_.SetLatency(latencyMs_ * NS_PER_MS);
  return ADAPTER_OK;
}

bool Board::ChainTdo() const {
  switch (kind_) {
    case BoardKind::DeadHigh:
      return true;
    case BoardKind::DeadLow:
      return false;
    default:
      return chain_.empty() ? true : chain_.back()->tdo();
  }
}

void Board::DropSamples() {
  samples_.Clear();
  txFifo_.clear();
}

void Board::PassTime(uint64_t nanoseconds) {
  now_ += nanoseconds;
  samples_.Advance(now_);
}

// One byte through the chip: in synchronous mode the lines are sampled just before the
// byte is applied; in asynchronous mode the chip reads the lines back after applying
// it, so a download always leaves samples queued for the host.
void Board::ApplyByte(uint8_t byte) {
  uint8_t outputs = byte & mask_;
  uint8_t previous = lines_;
  if (bitMode_ == BITMODE_SYNC_BITBANG) TakeSample(previous);
  bool tckBefore = previous & LINE_TCK;
  bool tckAfter = outputs & LINE_TCK;
  if (tckBefore && !tckAfter) {
    for (auto& device : chain_) device->FallingEdge();
  } else if (!tckBefore && tckAfter) {
    bool tms = outputs & LINE_TMS;
    bool tdi = outputs & LINE_TDI;
    for (auto& device : chain_) {
      bool out = device->tdo();  // latched at the last falling edge: the next device's TDI
      device->RisingEdge(tms, tdi);
      tdi = out;
    }
  }
  lines_ = outputs;
  if (bitMode_ == BITMODE_ASYNC_BITBANG) TakeSample(outputs);
  PassTime(bytePeriodNs_);
}

// The lines as the chip reads them back, TDO from the chain, into its sample buffer. A
// sample the chip has no room for is lost (in synchronous mode the chip waits for room).
void Board::TakeSample(uint8_t lines) {
  if (samples_.ChipFull()) return;
  samples_.Take(static_cast<uint8_t>((lines & mask_) | (ChainTdo() ? LINE_TDO : 0)), now_);
  if (bitMode_ == BITMODE_SYNC_BITBANG) {
    maxUnread_ = std::max(maxUnread_, static_cast<uint32_t>(samples_.Unread()));
  }
}

// A run of the same whole clock, TMS low (a byte without TCK, then it with TCK), sent in
// asynchronous mode while every device rests in Run-Test/Idle and the chip has no room
// for the samples it reads back: the waits of a download. What byte by byte would do, at
// once: the devices count the clocks, the lines end as the last byte leaves them, the
// samples are lost and the time passes. Returns the bytes taken, 0 when it does not apply.
uint32_t Board::ClockIdleRun(const uint8_t* data, uint32_t count) {
  if (count < 2 || !samples_.Stalled() || !(lines_ & LINE_TCK)) return 0;
  const uint8_t low = data[0] & mask_;
  const uint8_t high = data[1] & mask_;
  if ((low & (LINE_TCK | LINE_TMS)) != 0 || high != (low | LINE_TCK)) return 0;
  for (const auto& device : chain_) {
    if (device->state() != TapState::RunTestIdle) return 0;
  }
  uint32_t clocks = 1;
  while (2 * clocks + 1 < count && (data[2 * clocks] & mask_) == low &&
         (data[2 * clocks + 1] & mask_) == high) {
    ++clocks;
  }
  for (auto& device : chain_) device->IdleClocks(clocks);
  lines_ = high;
  PassTime(2 * uint64_t{clocks} * bytePeriodNs_);
  return 2 * clocks;
}

// A run of whole clocks, TMS low (a byte without TCK, then it with TCK), while every
// device shifts (Shift-IR or Shift-DR): each shifts its bit in and hands the one it
// latched to the next; the samples and the time go byte by byte as in ApplyByte. What
// ApplyByte would do, without working out the edges and the TAP's moves for every byte.
// Returns the bytes taken (whole clocks), 0 when it does not apply.
uint32_t Board::ClockShiftRun(const uint8_t* data, uint32_t count) {
  if (count < 2 || chain_.empty() || !(lines_ & LINE_TCK)) return 0;
  const TapState shifting = chain_.front()->state();
  if (shifting != TapState::ShiftDr && shifting != TapState::ShiftIr) return 0;
  for (const auto& device : chain_) {
    if (device->state() != shifting) return 0;
  }
  const bool synchronous = bitMode_ == BITMODE_SYNC_BITBANG;
  // In asynchronous mode with the chip full and nothing taking from it no sample is kept
  // and nothing waits on the time: it passes once, at the end.
  const bool stalled = !synchronous && samples_.Stalled();
  const JtagDevice& last = *chain_.back();  // drives TDO
  uint32_t taken = 0;
  for (; taken + 1 < count; taken += 2) {
    const uint8_t low = data[taken] & mask_;
    const uint8_t high = data[taken + 1] & mask_;
    if ((low & (LINE_TCK | LINE_TMS)) != 0 || high != (low | LINE_TCK)) break;
    // Both samples must fit in the chip, or the rest goes byte by byte.
    if (synchronous && !samples_.ChipHasRoom(2)) break;
    const uint8_t before = static_cast<uint8_t>(lines_ | (last.tdo() ? LINE_TDO : 0));
    bool tdi = (low & LINE_TDI) != 0;
    for (auto& device : chain_) {
      device->ShiftClock(tdi);
      tdi = device->tdo();  // latched at this falling edge: the next device's TDI
    }
    const uint8_t tdo = last.tdo() ? LINE_TDO : 0;  // from the falling edge on
    lines_ = high;
    if (stalled) continue;
    // Synchronous: the lines before each byte; asynchronous: after it.
    samples_.Take(synchronous ? before : static_cast<uint8_t>(low | tdo), now_);
    PassTime(bytePeriodNs_);
    samples_.Take(static_cast<uint8_t>((synchronous ? low : high) | tdo), now_);
    PassTime(bytePeriodNs_);
    if (synchronous) maxUnread_ = std::max(maxUnread_, static_cast<uint32_t>(samples_.Unread()));
  }
  if (stalled) PassTime(uint64_t{taken} * bytePeriodNs_);
  return taken;
}

// Bytes waiting in the chip go out while each has room for its sample.
void Board::RunFifo() {
  uint32_t done = ClockOut(txFifo_.data(), static_cast<uint32_t>(txFifo_.size()));
  txFifo_.erase(txFifo_.begin(), txFifo_.begin() + static_cast<std::ptrdiff_t>(done));
}

// Clocks bytes out while each has room for its sample (in synchronous mode the chip
// waits for it), whole runs of clocks at once where they apply. Returns how many.
uint32_t Board::ClockOut(const uint8_t* data, uint32_t count) {
  bool synchronous = bitMode_ == BITMODE_SYNC_BITBANG;
  uint32_t clocked = 0;
  while (clocked < count && !(synchronous && samples_.ChipFull())) {
    uint32_t run = synchronous ? 0 : ClockIdleRun(data + clocked, count - clocked);
    if (run == 0) run = ClockShiftRun(data + clocked, count - clocked);
    if (run == 0) {
      ApplyByte(data[clocked]);
      run = 1;
    }
    clocked += run;
  }
  return clocked;
}

// Takes bytes into the chip: in synchronous mode each is clocked out only when its sample
// has room, the rest wait in the chip's buffer as far as it holds them. Returns how many
// the chip took.
uint32_t Board::Clock(const uint8_t* data, uint32_t count) {
  // Outside bit-bang mode the bytes would leave as serial data: the pins do not move.
  if (!IsBitBang(bitMode_)) {
    PassTime(uint64_t{count} * bytePeriodNs_);
    return count;
  }
  RunFifo();
  uint32_t clocked = txFifo_.empty() ? ClockOut(data, count) : 0;
  uint32_t room = static_cast<uint32_t>(CHIP_TX_BYTES - txFifo_.size());
  uint32_t held = std::min(count - clocked, room);
  txFifo_.insert(txFifo_.end(), data + clocked, data + clocked + held);
  return clocked + held;
}

// The start of every write call, a streamed transfer's included: its number, the hook,
// and the faults planned for it.
int Board::BeginWrite(AdapterHandle handle) {
  ++writeCalls_;
  if (writeHook_) writeHook_(writeCalls_);
  if (faults_.unplugAfterWrites != 0 && writeCalls_ > faults_.unplugAfterWrites) {
    unplugged_ = true;
  }
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (faults_.failWriteFrom != 0 && writeCalls_ >= faults_.failWriteFrom) {
    return ADAPTER_IO_ERROR;
  }
  return ADAPTER_OK;
}

void Board::CableCall(uint64_t* calls, uint64_t bytes) {
  ++*calls;
  cable_.nanoseconds += CableTime::ROUND_TRIP_NS + bytes * CableTime::BUS_NS_PER_BYTE;
}

int Board::Write(AdapterHandle handle, const uint8_t* data, uint32_t count, uint32_t* written) {
  *written = 0;
  int status = BeginWrite(handle);
  if (status != ADAPTER_OK) return status;
  writeSizes_.push_back(count);
  CableCall(&cable_.writes, count);
  uint32_t taken = Clock(data, count);
  bytesWritten_ += taken;
  *written = taken;
  if (taken < count) {
    // The chip stopped with both its buffers full and nothing reading: the write waits
    // for the driver's timeout and fails.
    PassTime(WRITE_TIMEOUT_MS * NS_PER_MS);
    cable_.nanoseconds += WRITE_TIMEOUT_MS * NS_PER_MS;
    return ADAPTER_IO_ERROR;
  }
  return ADAPTER_OK;
}

int Board::GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                     uint32_t* eventStatus) {
  *rxQueued = 0;
  *txQueued = 0;
  *eventStatus = 0;
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (faults_.failStatus) return ADAPTER_IO_ERROR;
  // The host asks, and what the chip has ready comes: the vendor's driver has it already,
  // libftdi's backend, which has no status call, reads it.
  samples_.BeginRead(now_);
  samples_.EndRead();
  RunFifo();
  *rxQueued = static_cast<uint32_t>(samples_.HostQueued());
  return ADAPTER_OK;
}

uint32_t Board::TakeSamples(uint8_t* out, uint32_t count) {
  uint32_t n = static_cast<uint32_t>(samples_.Read(out, count));
  // Room on the host lets the chip send what it holds, and a stopped chip go on.
  samples_.Offer(now_);
  RunFifo();
  return n;
}

int Board::Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) {
  *read = 0;
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (faults_.shortReadLimit != 0) count = std::min(count, faults_.shortReadLimit);
  samples_.BeginRead(now_);
  *read = TakeSamples(buffer, count);
  samples_.EndRead();
  CableCall(&cable_.reads, *read);
  return ADAPTER_OK;
}

int Board::Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count, uint8_t* samples,
                    uint32_t boundMs, uint32_t* written, uint32_t* read) {
  *written = 0;
  *read = 0;
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (bitMode_ != BITMODE_SYNC_BITBANG || (count > 0 && !data)) return ADAPTER_INVALID_PARAMETER;
  uint8_t discard[STREAM_TRANSFER_BYTES];
  auto collect = [&] {
    uint8_t* into = samples ? samples + *read : discard;
    uint32_t room = samples ? count - *read : std::min<uint32_t>(count - *read, sizeof discard);
    *read += TakeSamples(into, room);
  };
  // One round trip starts the stream and ends it; in between, a transfer costs its time
  // on the bus, out and back, or a round trip when that is longer.
  cable_.nanoseconds += CableTime::ROUND_TRIP_NS;
  samples_.BeginRead(now_);
  int status = ADAPTER_OK;
  while (*written < count && status == ADAPTER_OK) {
    uint32_t size = std::min(STREAM_TRANSFER_BYTES, count - *written);
    status = BeginWrite(handle);
    if (status != ADAPTER_OK) break;
    writeSizes_.push_back(size);
    // The read in flight makes room as the chip fills; it stops only if the host can take
    // no more samples.
    uint32_t taken = 0;
    while (taken < size) {
      uint32_t more = Clock(data + *written + taken, size - taken);
      taken += more;
      uint32_t before = *read;
      while (samples_.HostQueued() > 0 && *read < count) collect();
      if (more == 0 && *read == before) break;
    }
    *written += taken;
    bytesWritten_ += taken;
    ++cable_.writes;
    ++cable_.reads;
    cable_.nanoseconds += std::max(CableTime::ROUND_TRIP_NS,
                                   2 * uint64_t{size} * CableTime::BUS_NS_PER_BYTE);
    if (taken < size) status = ADAPTER_IO_ERROR;
  }
  // The last partial packet comes when the chip's latency timer runs out.
  while (status == ADAPTER_OK && *read < count) {
    uint64_t deadline = now_ + uint64_t{boundMs} * NS_PER_MS;
    uint64_t due = samples_.holdUntil();
    if (due > deadline) {
      cable_.nanoseconds += deadline - now_;
      PassTime(deadline - now_);
      status = ADAPTER_NO_ANSWER;
      break;
    }
    uint32_t before = *read;
    if (due > now_) {
      cable_.nanoseconds += due - now_;
      PassTime(due - now_);
    }
    samples_.Offer(now_);
    while (samples_.HostQueued() > 0 && *read < count) collect();
    if (*read == before) status = ADAPTER_NO_ANSWER;
  }
  samples_.EndRead();
  return status;
}

int Board::Close(AdapterHandle handle) {
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  open_ = false;
  DropSamples();
  return ADAPTER_OK;
}

void Board::Wait(uint32_t milliseconds) {
  waited_ += milliseconds;
  cable_.nanoseconds += milliseconds * NS_PER_MS;
  PassTime(milliseconds * NS_PER_MS);
  if (prom_) prom_->Elapse(milliseconds);
}

std::unique_ptr<Board> MakeBoard(BoardKind kind) { return std::make_unique<Board>(kind); }

}  // namespace torvane::sim
