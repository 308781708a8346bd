#include "sim/sample_path.h"

#include <cstring>

namespace torvane::sim {

namespace {
// Read samples are dropped from the front once this many have gone, so that a long
// synchronous stream does not keep them all.
constexpr size_t COMPACT_AFTER = 65536;
}  // namespace

void SamplePath::SetLatency(uint64_t nanoseconds) {
  latencyNs_ = nanoseconds;
  UpdateHold();
}

// The latency timer runs from the last packet that went out, or from the first sample
// held since, whichever is later: the chip's worst case, where a held partial packet
// waits the whole latency time.
void SamplePath::Send(uint64_t at, bool partial) {
  if (!HostTakes()) return;
  size_t unsent = rx_.size() - sent_;
  size_t room = capacity_ - HostQueued();
  // The driver's buffer fills to its last byte.
  size_t going = std::min(partial ? unsent : unsent - unsent % PACKET_DATA_BYTES, room);
  if (going == 0) return;
  sent_ += going;
  lastSent_ = at;
  // Whatever stays in the chip has waited since before this packet left.
  heldSince_ = at;
  UpdateHold();
}

size_t SamplePath::Read(uint8_t* out, size_t count) {
  size_t n = std::min(count, HostQueued());
  if (n > 0) std::memcpy(out, rx_.data() + head_, n);
  head_ += n;
  if (head_ == rx_.size()) {
    Clear();
  } else if (head_ >= COMPACT_AFTER) {
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(head_));
    sent_ -= head_;
    head_ = 0;
  }
  return n;
}

void SamplePath::Clear() {
  rx_.clear();
  head_ = 0;
  sent_ = 0;
}

}  // namespace torvane::sim
