// The configuration logic's CRC: what the FPGA computes over every register write after
// RCRC, and what a bitstream writer puts in its CRC register write. Header-only, so the
// test bitstream generator computes it without linking the simulated board.
#pragma once

#include <cstdint>

namespace torvane::sim {

// One register write folded in: CRC-16 with the polynomial x^16 + x^15 + x^2 + 1, shifted
// least significant bit first over the 32 data bits and then the 5 register address bits
// (the reflected form, 0xA001). The bit order is the one the later families document for
// their 32-bit CRC over the same 37 bits; it is the model's choice where the older parts'
// documents are silent.
constexpr uint16_t ConfigCrcStep(uint16_t crc, uint32_t reg, uint32_t data) {
  uint64_t bits = (static_cast<uint64_t>(reg & 0x1F) << 32) | data;
  uint32_t value = crc;
  for (int i = 0; i < 37; ++i) {
    bool feedback = ((value ^ static_cast<uint32_t>(bits)) & 1u) != 0;
    value >>= 1;
    if (feedback) value ^= 0xA001u;
    bits >>= 1;
  }
  return static_cast<uint16_t>(value);
}

}  // namespace torvane::sim
