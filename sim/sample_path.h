// The way back for the FT232R's samples: the chip's 128-byte receive buffer, the USB
// packets that carry them to the host (62 samples each; a partial one waits for the
// latency timer), and the driver's buffer on the host, which the vendor's driver fills
// whenever it has room and libftdi only while a read is in flight.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace torvane::sim {

enum class SampleDrain {
  Continuous,    // the vendor's driver reads the chip all the time, into its own buffer
  WhileReading,  // libftdi: samples leave the chip only while the host has a read in flight
};

class SamplePath {
 public:
  static constexpr size_t CHIP_BYTES = 128;
  static constexpr size_t PACKET_DATA_BYTES = 62;  // a 64-byte packet, two status bytes

  void SetDrain(SampleDrain drain) { drain_ = drain; }
  void SetHostCapacity(size_t bytes) { capacity_ = bytes; }
  void SetLatency(uint64_t nanoseconds);

  // Samples the host has not read: in its buffer, and still in the chip.
  size_t Unread() const { return rx_.size() - head_; }
  size_t HostQueued() const { return sent_ - head_; }
  // In synchronous mode the chip clocks no byte out while this holds.
  bool ChipFull() const { return rx_.size() - sent_ >= CHIP_BYTES; }
  bool ChipHasRoom(size_t samples) const { return rx_.size() - sent_ + samples <= CHIP_BYTES; }
  // The chip is full and nothing takes from it: every sample it takes now is lost.
  bool Stalled() const { return ChipFull() && !HostTakes(); }

  // A sample the chip took at `now`; lost when the chip has no room for it (possible in
  // asynchronous mode only, where the chip does not wait).
  void Take(uint8_t sample, uint64_t now) {
    size_t unsent = rx_.size() - sent_;
    if (unsent >= CHIP_BYTES) return;
    if (unsent == 0) {
      heldSince_ = now;
      UpdateHold();
    }
    rx_.push_back(sample);
    if (unsent + 1 >= PACKET_DATA_BYTES) Send(now, false);
  }
  // Time has reached `now`: a partial packet held for the latency timer goes.
  void Advance(uint64_t now) {
    if (sent_ != rx_.size() && now >= holdUntil_ && HostTakes()) Send(holdUntil_, true);
  }
  // The host asks at `now`: what the chip has ready goes, as far as the host takes it.
  void Offer(uint64_t now) { Send(now, now >= holdUntil_); }
  // A read in flight on the host, from `now` until EndRead.
  void BeginRead(uint64_t now) {
    reading_ = true;
    Offer(now);
  }
  void EndRead() { reading_ = false; }
  // When the partial packet the chip holds will go, had the host room and a read.
  uint64_t holdUntil() const { return holdUntil_; }

  // Up to `count` samples from the host's buffer into `out`; returns how many.
  size_t Read(uint8_t* out, size_t count);
  // A purge: the host's buffer and the chip's both emptied.
  void Clear();

 private:
  // Sends whole packets, and with `partial` whatever is left, as far as the host takes them.
  void Send(uint64_t at, bool partial);
  void UpdateHold() { holdUntil_ = std::max(lastSent_, heldSince_) + latencyNs_; }
  bool HostTakes() const {
    return (drain_ == SampleDrain::Continuous || reading_) && HostQueued() < capacity_;
  }

  SampleDrain drain_ = SampleDrain::WhileReading;
  size_t capacity_ = 0;
  bool reading_ = false;
  uint64_t latencyNs_ = 0;
  uint64_t lastSent_ = 0;   // when the last packet left the chip
  uint64_t heldSince_ = 0;  // when the oldest sample not yet sent was taken
  uint64_t holdUntil_ = 0;
  std::vector<uint8_t> rx_;  // [head_, sent_) on the host, [sent_, end) in the chip
  size_t head_ = 0;
  size_t sent_ = 0;
};

}  // namespace torvane::sim
