// Test bitstream generator: ".bit" files with a correct header and a Spartan-3-style
// configuration body, deterministic from a seed, plus malformed variants for the
// reader's failure paths. Never a vendor file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bitfile/config_packet.h"

namespace torvane {

// Every FPGA of the part table.
enum class BitPart { Xc3s50, Xc3s200, Xc3s400, Xc3s1000, Xc3s1500, Xc3s2000, Xc3s4000, Xc3s5000 };
inline constexpr BitPart BIT_PARTS[] = {BitPart::Xc3s50,   BitPart::Xc3s200,  BitPart::Xc3s400,
                                        BitPart::Xc3s1000, BitPart::Xc3s1500, BitPart::Xc3s2000,
                                        BitPart::Xc3s4000, BitPart::Xc3s5000};

enum class BitDefect {
  None,
  BadPreamble,      // byte 1 of the preamble is not 0x09
  MissingKey,       // field c is left out entirely
  SwappedKeys,      // fields c and d change places
  TruncatedHeader,  // the file ends inside field b
  ShortDataLength,  // field e carries a 16-bit length, as an older writer would
};

constexpr size_t AUTO_DATA_SIZE = static_cast<size_t>(-1);

struct BitstreamOptions {
  BitPart part = BitPart::Xc3s200;
  uint32_t seed = 1;
  size_t dataSize = AUTO_DATA_SIZE;  // the part's configuration size unless set
  bool rawBody = false;              // pseudo-random bytes instead of packets
  bool crcBypass = false;            // CRC checking off: COR says so, CRC words are a pattern
  BitDefect defect = BitDefect::None;
  std::string designName = "torvane_test";
};

const char* PartName(BitPart part);          // "3s200ft256"
uint32_t PartIdcode(BitPart part);           // 0x01414093
size_t PartDataSize(BitPart part);           // 130,952 data bytes: the whole configuration
uint32_t PartFrameLength(BitPart part);      // the frame length register: 0x34
bool ParsePartName(const char* text, BitPart* part);  // "xc3s200", "xc3s1000", ...
std::string PartNames();                     // "xc3s50, xc3s200, ..."

// Words a packet body needs around its frame data; a size with no room for one frame
// word gets a raw body.
size_t PacketOverheadWords(BitPart part);

// The configuration body alone, `size` bytes: packets when `size` is a multiple of 4 and
// large enough (unless options.rawBody), otherwise pseudo-random bytes.
std::vector<uint8_t> MakeBitstreamBody(const BitstreamOptions& options, size_t size);

// The whole file: header fields a to e, then the body.
std::vector<uint8_t> MakeBitFile(const BitstreamOptions& options);

// Writes MakeBitFile's bytes to `path`; false when the file cannot be written.
bool WriteBitFile(const char* path, const BitstreamOptions& options);

}  // namespace torvane
