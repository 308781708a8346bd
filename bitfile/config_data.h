// What configuration data says about itself, whatever file it came in: the order of the
// bits in its bytes (found from the sync word), the IDCODE the stream writes, and its
// forms for a serial PROM: the vendor's PROM file text and the checksum its report gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace torvane {

enum class ByteOrder {
  None,      // no sync word near the start in either order
  AsBit,     // as a .bit holds it: the sync word reads AA 99 55 66
  Reversed,  // every byte bit-reversed, as serial PROM files hold it: 55 99 AA 66
};

// How far from the start the sync word is looked for: past the dummy words any stream
// writes first.
constexpr size_t SYNC_SEARCH_BYTES = 256;

// Bit 7 swapped with bit 0, 6 with 1, and so on.
uint8_t ReverseBits(uint8_t byte);
void ReverseEachByte(uint8_t* bytes, size_t size);

// The order of the sync word nearest the start, within SYNC_SEARCH_BYTES.
ByteOrder FindByteOrder(const uint8_t* data, size_t size);

// The value of the stream's write to its IDCODE register, following the packets from the
// first sync word; false when the stream writes none. `data` is in the .bit's order.
bool FindStreamIdcode(const uint8_t* data, size_t size, uint32_t* idcode);

// The PROM checksum as the vendor's PROM report gives it: the 32-bit sum of the PROM's
// bytes as its file stores them (bit-reversed), over `capacity` bytes with 0xFF past the
// data. `data` is in the .bit's order.
uint32_t PromChecksum(const uint8_t* data, size_t size, size_t capacity);

// The vendor's PROM file for `data` (in the .bit's order): every byte bit-reversed, as
// Intel HEX records of 16 bytes from address 0.
std::string FormatPromFile(const uint8_t* data, size_t size);

}  // namespace torvane
