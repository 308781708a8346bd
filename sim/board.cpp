#include "sim/board.h"

#include <algorithm>
#include <cstring>

#include "link/adapter_link.h"
#include "link/vcd_writer.h"
#include "sim/fpga.h"
#include "sim/prom.h"

namespace torvane::sim {

namespace {

constexpr uint8_t LINE_TCK = 0x40;
constexpr uint8_t LINE_TMS = 0x08;
constexpr uint8_t LINE_TDI = 0x80;
constexpr uint8_t LINE_TDO = 0x20;
constexpr uint8_t BITMODE_RESET = 0;
// Samples the host has not read yet; beyond this the driver's buffer overruns and drops.
constexpr size_t RX_CAPACITY = 65536;
// Samples travel to the host in 64-byte USB packets, two of them status bytes.
constexpr size_t PACKET_DATA_BYTES = 62;
constexpr uint64_t NS_PER_MS = 1000000;

}  // namespace

const std::vector<BoardInfo>& Boards() {
  static const std::vector<BoardInfo> boards = {
      {"xc3s200", BoardKind::Xc3s200, "an XC3S200 alone"},
      {"xc3s400", BoardKind::Xc3s400, "an XC3S400 alone"},
      {"prom", BoardKind::Prom200, "an XC3S200 then the PROM it boots from"},
      {"prom400", BoardKind::Prom400, "an XC3S400 then the PROM it boots from"},
      {"prom-jtagmode", BoardKind::PromJtagMode,
       "an XC3S200 then a PROM, mode pins set for JTAG: it never boots from the PROM"},
      {"prom-stuck", BoardKind::PromStuck,
       "an XC3S200 then a PROM whose second block does not take programming"},
      {"none", BoardKind::None, "no adapter"},
      {"dead", BoardKind::DeadHigh, "an adapter with nothing attached, TDO high"},
      {"dead0", BoardKind::DeadLow, "an adapter with nothing attached, TDO low"},
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
  for (const BoardInfo& entry : Boards()) {
    if (entry.kind == kind) return entry.name;
  }
  return "?";
}

Board::Board(BoardKind kind)
    : kind_(kind), bytePeriodNs_(BytePeriodNanoseconds(CHIP_DEFAULT_BAUD_RATE)) {
  bool bigFpga = kind == BoardKind::Xc3s400 || kind == BoardKind::Prom400;
  bool hasProm = kind == BoardKind::Prom200 || kind == BoardKind::Prom400 ||
                 kind == BoardKind::PromJtagMode || kind == BoardKind::PromStuck;
  bool hasFpga = kind == BoardKind::Xc3s200 || bigFpga || hasProm;
  if (hasFpga) {
    auto fpga = std::make_unique<Fpga>(*FindPart(bigFpga ? IDCODE_XC3S400 : IDCODE_XC3S200));
    fpga_ = fpga.get();
    fpga_->UseClock(&now_);
    chain_.push_back(std::move(fpga));
  }
  if (hasProm) {
    auto prom = std::make_unique<Prom>(*FindPart(IDCODE_PROM_XCF02S));
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
  rx_.reserve(RX_CAPACITY);
}

Board::~Board() = default;

void Board::Replug() {
  faults_ = FaultPlan{};
  unplugged_ = false;
  open_ = false;
  writeCalls_ = 0;
  bitMode_ = BITMODE_RESET;
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
  packetSentNs_ = now_;
  *handle = this;
  return ADAPTER_OK;
}

int Board::SetUsbParameters(AdapterHandle handle, uint32_t, uint32_t) {
  return Usable(handle) ? ADAPTER_OK : ADAPTER_INVALID_HANDLE;
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
  if (mask & PURGE_RX) DropSamples();  // the chip's partial packet goes too
  return ADAPTER_OK;
}

int Board::SetLatencyTimer(AdapterHandle handle, uint8_t milliseconds) {
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (milliseconds == 0) return ADAPTER_INVALID_PARAMETER;
  latencyMs_ = milliseconds;
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
  rx_.clear();
  rxHead_ = 0;
  delivered_ = 0;
}

// A full packet leaves at once; a partial one is held for the latency time.
void Board::Queue(uint8_t sample) {
  if (rx_.size() - rxHead_ >= RX_CAPACITY) return;
  if (rx_.size() == delivered_) heldSinceNs_ = now_;
  rx_.push_back(sample);
  if (rx_.size() - delivered_ >= PACKET_DATA_BYTES) {
    delivered_ = rx_.size();
    packetSentNs_ = now_;
  }
  if (bitMode_ == BITMODE_SYNC_BITBANG) {
    maxUnread_ = std::max(maxUnread_, static_cast<uint32_t>(rx_.size() - rxHead_));
  }
}

// The latency timer runs from the last packet that went out, or from the first sample
// held since, whichever is later: the chip's worst case, where a held partial packet
// waits the whole latency time.
void Board::PassTime(uint64_t nanoseconds) {
  now_ += nanoseconds;
  if (rx_.size() == delivered_) return;
  uint64_t expiry = std::max(packetSentNs_, heldSinceNs_) + latencyMs_ * NS_PER_MS;
  if (now_ >= expiry) {
    delivered_ = rx_.size();
    packetSentNs_ = expiry;
  }
}

// One byte through the chip: in synchronous mode the lines are sampled just before the
// byte is applied; in asynchronous mode the chip reads the lines back after applying
// it, so a download always leaves samples queued for the host.
void Board::ApplyByte(uint8_t byte) {
  uint8_t outputs = byte & mask_;
  uint8_t previous = lines_;
  if (bitMode_ == BITMODE_SYNC_BITBANG) {
    Queue(static_cast<uint8_t>((previous & mask_) | (ChainTdo() ? LINE_TDO : 0)));
  }
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
  if (bitMode_ == BITMODE_ASYNC_BITBANG) {
    Queue(static_cast<uint8_t>(outputs | (ChainTdo() ? LINE_TDO : 0)));
  }
  PassTime(bytePeriodNs_);
}

int Board::Write(AdapterHandle handle, const uint8_t* data, uint32_t count, uint32_t* written) {
  *written = 0;
  ++writeCalls_;
  if (writeHook_) writeHook_(writeCalls_);
  if (faults_.unplugAfterWrites != 0 && writeCalls_ > faults_.unplugAfterWrites) {
    unplugged_ = true;
  }
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (faults_.failWriteFrom != 0 && writeCalls_ >= faults_.failWriteFrom) {
    return ADAPTER_IO_ERROR;
  }
  writeSizes_.push_back(count);
  // Outside bit-bang mode the bytes would leave as serial data: the pins do not move.
  if (bitMode_ == BITMODE_SYNC_BITBANG || bitMode_ == BITMODE_ASYNC_BITBANG) {
    for (uint32_t i = 0; i < count; ++i) ApplyByte(data[i]);
  } else {
    PassTime(uint64_t{count} * bytePeriodNs_);
  }
  bytesWritten_ += count;
  *written = count;
  return ADAPTER_OK;
}

int Board::GetStatus(AdapterHandle handle, uint32_t* rxQueued, uint32_t* txQueued,
                     uint32_t* eventStatus) {
  *rxQueued = 0;
  *txQueued = 0;
  *eventStatus = 0;
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  if (faults_.failStatus) return ADAPTER_IO_ERROR;
  *rxQueued = static_cast<uint32_t>(delivered_ - rxHead_);
  return ADAPTER_OK;
}

int Board::Read(AdapterHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) {
  *read = 0;
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  ++readCalls_;
  size_t available = delivered_ - rxHead_;
  size_t n = std::min<size_t>(count, available);
  if (faults_.shortReadLimit != 0) n = std::min<size_t>(n, faults_.shortReadLimit);
  if (n > 0) std::memcpy(buffer, rx_.data() + rxHead_, n);
  rxHead_ += n;
  if (rxHead_ == rx_.size()) {
    DropSamples();
  } else if (rxHead_ >= RX_CAPACITY) {
    // A long synchronous read never empties the queue: the read part goes.
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(rxHead_));
    delivered_ -= rxHead_;
    rxHead_ = 0;
  }
  *read = static_cast<uint32_t>(n);
  return ADAPTER_OK;
}

int Board::Close(AdapterHandle handle) {
  if (!Usable(handle)) return ADAPTER_INVALID_HANDLE;
  open_ = false;
  DropSamples();
  return ADAPTER_OK;
}

void Board::Wait(uint32_t milliseconds) {
  waited_ += milliseconds;
  PassTime(milliseconds * NS_PER_MS);
  if (prom_) prom_->Elapse(milliseconds);
}

std::unique_ptr<Board> MakeBoard(BoardKind kind) { return std::make_unique<Board>(kind); }

}  // namespace torvane::sim
