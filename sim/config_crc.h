// The configuration logic's CRC: what the FPGA computes over every register write after
// RCRC, and what a bitstream writer puts in its CRC register write. Header-only, so the
// test bitstream generator computes it without linking the simulated board.
#pragma once

#include <cstdint>

namespace torvane::sim {

constexpr uint32_t CONFIG_CRC_POLYNOMIAL = 0xA001;  // x^16 + x^15 + x^2 + 1, reflected

// The step over one byte from a zero CRC, for each byte value: the data's four bytes go
// through this table rather than bit by bit, with the same result.
struct ConfigCrcTable {
  uint16_t steps[256];
  constexpr ConfigCrcTable() : steps() {
    for (uint32_t byte = 0; byte < 256; ++byte) {
      uint32_t value = byte;
      for (int i = 0; i < 8; ++i) {
        value = (value >> 1) ^ ((value & 1u) ? CONFIG_CRC_POLYNOMIAL : 0);
      }
      steps[byte] = static_cast<uint16_t>(value);
    }
  }
};
inline constexpr ConfigCrcTable CONFIG_CRC_TABLE{};

// One register write folded in: CRC-16 with the polynomial x^16 + x^15 + x^2 + 1, shifted
// least significant bit first over the 32 data bits and then the 5 register address bits
// (the reflected form, 0xA001). The bit order is the one the later families document for
// their 32-bit CRC over the same 37 bits; it is the model's choice where the older parts'
// documents are silent.
constexpr uint16_t ConfigCrcStep(uint16_t crc, uint32_t reg, uint32_t data) {
  uint32_t value = crc;
  for (int i = 0; i < 4; ++i) {
    value = (value >> 8) ^ CONFIG_CRC_TABLE.steps[(value ^ (data >> (8 * i))) & 0xFFu];
  }
  uint32_t address = reg & 0x1F;
  for (int i = 0; i < 5; ++i, address >>= 1) {
    bool feedback = ((value ^ address) & 1u) != 0;
    value = (value >> 1) ^ (feedback ? CONFIG_CRC_POLYNOMIAL : 0);
  }
  return static_cast<uint16_t>(value);
}

}  // namespace torvane::sim
