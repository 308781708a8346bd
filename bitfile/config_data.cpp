#include "bitfile/config_data.h"

#include <vector>

#include "bitfile/config_packet.h"
#include "bitfile/intel_hex.h"

namespace torvane {
namespace {

// The sync word as a serial PROM file stores it: each byte's bits reversed.
constexpr uint32_t SYNC_WORD_REVERSED = 0x5599AA66;

uint32_t WordAt(const uint8_t* data) {
  return uint32_t{data[0]} << 24 | uint32_t{data[1]} << 16 | uint32_t{data[2]} << 8 | data[3];
}

}  // namespace

uint8_t ReverseBits(uint8_t byte) {
  uint8_t reversed = 0;
  for (int bit = 0; bit < 8; ++bit) {
    reversed = static_cast<uint8_t>(reversed << 1 | ((byte >> bit) & 1));
  }
  return reversed;
}

void ReverseEachByte(uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) bytes[i] = ReverseBits(bytes[i]);
}

ByteOrder FindByteOrder(const uint8_t* data, size_t size) {
  const size_t end = size < SYNC_SEARCH_BYTES ? size : SYNC_SEARCH_BYTES;
  for (size_t at = 0; at + 4 <= end; ++at) {
    const uint32_t word = WordAt(data + at);
    if (word == SYNC_WORD) return ByteOrder::AsBit;
    if (word == SYNC_WORD_REVERSED) return ByteOrder::Reversed;
  }
  return ByteOrder::None;
}

bool FindStreamIdcode(const uint8_t* data, size_t size, uint32_t* idcode) {
  size_t at = 0;
  while (at + 4 <= size && WordAt(data + at) != SYNC_WORD) ++at;
  at += 4;
  uint32_t reg = 0;
  // Words are counted, never read past: a count beyond the data ends the walk.
  for (uint64_t words = (size - (at < size ? at : size)) / 4, next = 0; next < words;) {
    uint32_t header = WordAt(data + at + 4 * next++);
    uint32_t type = PacketType(header);
    if (type != 1 && type != 2) return false;
    if (type == 1) reg = PacketRegister(header);
    uint64_t count = PacketWordCount(header);
    bool write = PacketOpcode(header) == OP_WRITE;
    if (write && reg == REG_IDCODE && count >= 1 && next < words) {
      *idcode = WordAt(data + at + 4 * next);
      return true;
    }
    // Frame data is followed by its CRC word, outside the count.
    next += count + (write && reg == REG_FDRI && count > 0 ? 1 : 0);
  }
  return false;
}

uint32_t PromChecksum(const uint8_t* data, size_t size, size_t capacity) {
  uint32_t sum = 0;
  for (size_t i = 0; i < size; ++i) sum += ReverseBits(data[i]);
  if (capacity > size) sum += static_cast<uint32_t>(0xFF * (capacity - size));
  return sum;
}

std::string FormatPromFile(const uint8_t* data, size_t size) {
  std::vector<uint8_t> stored(data, data + size);
  ReverseEachByte(stored.data(), stored.size());
  return FormatIntelHex(stored.data(), stored.size());
}

}  // namespace torvane
