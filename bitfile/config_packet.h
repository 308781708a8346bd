// The words of a Spartan-3 configuration stream: the sync word, packet headers, the
// registers they address and the commands, shared by every reader and writer of streams.
// Type 1 headers address a register with up to 2047 words; a type 2 header that follows
// one carries a longer count for the same register.
#pragma once

#include <cstdint>

namespace torvane {

constexpr uint32_t DUMMY_WORD = 0xFFFFFFFF;
constexpr uint32_t SYNC_WORD = 0xAA995566;
constexpr uint32_t NOP_WORD = 0x20000000;
constexpr uint32_t OP_NOP = 0;
constexpr uint32_t OP_WRITE = 2;
enum ConfigRegister : uint32_t {
  REG_CRC = 0, REG_FAR = 1, REG_FDRI = 2, REG_CMD = 4, REG_CTL = 5,
  REG_MASK = 6, REG_COR = 9, REG_FLR = 11, REG_IDCODE = 14,
};
enum ConfigCommand : uint32_t {
  CMD_WCFG = 1, CMD_LFRM = 3, CMD_START = 5, CMD_RCRC = 7, CMD_SWITCH = 9, CMD_GRESTORE = 10,
  CMD_DESYNC = 13,
};
// With this option set the CRC words carry a fixed pattern and the part does not compare
// them.
constexpr uint32_t COR_CRC_BYPASS = 1u << 29;
constexpr uint32_t CRC_BYPASS_WORD = 0x0000DEFC;

constexpr uint32_t Type1Header(uint32_t opcode, uint32_t reg, uint32_t wordCount) {
  return 0x20000000u | (opcode << 27) | (reg << 13) | wordCount;
}
constexpr uint32_t Type2Header(uint32_t opcode, uint32_t wordCount) {
  return 0x40000000u | (opcode << 27) | wordCount;
}
constexpr uint32_t PacketType(uint32_t header) { return header >> 29; }
constexpr uint32_t PacketOpcode(uint32_t header) { return (header >> 27) & 3; }
constexpr uint32_t PacketRegister(uint32_t header) { return (header >> 13) & 0x3FFF; }
constexpr uint32_t PacketWordCount(uint32_t header) {
  return PacketType(header) == 1 ? header & 0x7FF : header & 0x07FFFFFF;
}

}  // namespace torvane
