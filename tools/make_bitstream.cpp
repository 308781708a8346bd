#include "tools/make_bitstream.h"

#include <cstdio>
#include <iterator>

#include "procedures/parts.h"
#include "sim/config_crc.h"

namespace torvane {
namespace {

constexpr uint8_t PREAMBLE[13] = {0x00, 0x09, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F,
                                  0xF0, 0x0F, 0xF0, 0x00, 0x00, 0x01};
constexpr const char* HEADER_DATE = "2026/12/08";
constexpr const char* HEADER_TIME = "05:00:00";
constexpr uint32_t COR_DEFAULT = 0x00003FE5;
constexpr int TRAILING_NOPS = 4;

// How the generator lays out each part's file: the part's IDCODE (its row of the part
// table gives the length), the header's part with a package the part comes in, and the
// rows of its CLB array (the Spartan-3 data sheet's table of array sizes). A frame is
// 64 bits per CLB row and 160 more for the IOBs and the frame's ends: 2 x rows + 5
// words, and the frame length register holds one less. That is 0x34 for the XC3S200 and
// 0x44 for the XC3S400, as in the vendor's files, and the same 2 x rows + 5 words that
// bitstream tools working from the vendor's configuration note (XAPP452) list per part;
// at each part's full length the frame data comes out whole frames.
struct PartLayout {
  BitPart part;
  uint32_t idcode;
  const char* name;
  uint32_t clbRows;
};

constexpr PartLayout LAYOUTS[] = {
    {BitPart::Xc3s50, IDCODE_XC3S50, "3s50tq144", 16},
    {BitPart::Xc3s200, IDCODE_XC3S200, "3s200ft256", 24},
    {BitPart::Xc3s400, IDCODE_XC3S400, "3s400ft256", 32},
    {BitPart::Xc3s1000, IDCODE_XC3S1000, "3s1000ft256", 48},
    {BitPart::Xc3s1500, IDCODE_XC3S1500, "3s1500fg456", 64},
    {BitPart::Xc3s2000, IDCODE_XC3S2000, "3s2000fg676", 80},
    {BitPart::Xc3s4000, IDCODE_XC3S4000, "3s4000fg676", 96},
    {BitPart::Xc3s5000, IDCODE_XC3S5000, "3s5000fg900", 104},
};

const PartLayout& LayoutOf(BitPart part) {
  for (const PartLayout& layout : LAYOUTS) {
    if (layout.part == part) return layout;
  }
  return LAYOUTS[1];  // every BitPart has its row
}

// xorshift32: the same sequence on every platform, unlike the standard distributions.
class WordSource {
 public:
  explicit WordSource(uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }

 private:
  uint32_t state_;
};

void PutWord(std::vector<uint8_t>& out, uint32_t word) {
  out.push_back(static_cast<uint8_t>(word >> 24));
  out.push_back(static_cast<uint8_t>(word >> 16));
  out.push_back(static_cast<uint8_t>(word >> 8));
  out.push_back(static_cast<uint8_t>(word));
}

// A one-word register write, folded into the running CRC as the FPGA folds it.
void PutRegister(std::vector<uint8_t>& out, uint32_t reg, uint32_t value, uint16_t* crc) {
  PutWord(out, Type1Header(OP_WRITE, reg, 1));
  PutWord(out, value);
  *crc = reg == REG_CMD && value == CMD_RCRC ? 0 : sim::ConfigCrcStep(*crc, reg, value);
}

// The CRC so far as the word that checks it (a fixed pattern when checking is off); the
// part compares and starts counting afresh.
void PutCheck(std::vector<uint8_t>& out, bool bypass, uint16_t* crc) {
  PutWord(out, bypass ? CRC_BYPASS_WORD : *crc);
  *crc = 0;
}

// A text field: key, 16-bit length, the text and its terminating NUL.
void PutField(std::vector<uint8_t>& out, char key, const std::string& text) {
  size_t length = text.size() + 1;
  out.push_back(static_cast<uint8_t>(key));
  out.push_back(static_cast<uint8_t>(length >> 8));
  out.push_back(static_cast<uint8_t>(length));
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

std::vector<uint8_t> RawBody(uint32_t seed, size_t size) {
  std::vector<uint8_t> body;
  body.reserve(size);
  WordSource source(seed);
  while (body.size() < size) {
    body.push_back(static_cast<uint8_t>(source.Next() >> 24));
  }
  return body;
}

// The layout the vendor's generator writes for these parts, word for word outside the
// frame data: the frame length before the options, the CRC word after the frame data,
// one frame of NOOPs that pushes the last frame through, and the closing CRC write.
std::vector<uint8_t> PacketBody(const BitstreamOptions& options, size_t size) {
  const uint32_t frameLength = PartFrameLength(options.part);
  const size_t frameWords = size / 4 - PacketOverheadWords(options.part);
  std::vector<uint8_t> body;
  body.reserve(size);
  PutWord(body, DUMMY_WORD);
  PutWord(body, SYNC_WORD);
  uint16_t crc = 0;
  PutRegister(body, REG_CMD, CMD_RCRC, &crc);
  PutRegister(body, REG_FLR, frameLength, &crc);
  PutRegister(body, REG_COR, options.crcBypass ? COR_DEFAULT | COR_CRC_BYPASS : COR_DEFAULT,
              &crc);
  PutRegister(body, REG_IDCODE, PartIdcode(options.part), &crc);
  PutRegister(body, REG_MASK, 0x00000000, &crc);
  PutRegister(body, REG_CMD, CMD_SWITCH, &crc);
  PutRegister(body, REG_FAR, 0, &crc);
  PutRegister(body, REG_CMD, CMD_WCFG, &crc);
  PutWord(body, Type1Header(OP_WRITE, REG_FDRI, 0));
  PutWord(body, Type2Header(OP_WRITE, static_cast<uint32_t>(frameWords)));
  WordSource source(options.seed);
  for (size_t i = 0; i < frameWords; ++i) {
    uint32_t word = source.Next();
    PutWord(body, word);
    crc = sim::ConfigCrcStep(crc, REG_FDRI, word);
  }
  PutCheck(body, options.crcBypass, &crc);
  PutRegister(body, REG_CMD, CMD_GRESTORE, &crc);
  PutRegister(body, REG_CMD, CMD_LFRM, &crc);
  for (uint32_t i = 0; i <= frameLength; ++i) PutWord(body, NOP_WORD);
  PutRegister(body, REG_CMD, CMD_START, &crc);
  PutRegister(body, REG_CTL, 0x00000000, &crc);
  PutWord(body, Type1Header(OP_WRITE, REG_CRC, 1));
  PutCheck(body, options.crcBypass, &crc);
  PutRegister(body, REG_CMD, CMD_DESYNC, &crc);
  for (int i = 0; i < TRAILING_NOPS; ++i) PutWord(body, NOP_WORD);
  return body;
}

}  // namespace

const char* PartName(BitPart part) { return LayoutOf(part).name; }

uint32_t PartIdcode(BitPart part) { return LayoutOf(part).idcode; }

size_t PartDataSize(BitPart part) { return FindPart(PartIdcode(part))->configBits / 8; }

uint32_t PartFrameLength(BitPart part) { return 2 * LayoutOf(part).clbRows + 4; }

size_t PacketOverheadWords(BitPart part) {
  // Dummy and sync, eight one-word writes, the two frame data headers and the CRC word
  // after them, two commands, a frame of NOOPs, four more writes and the trailing NOOPs.
  return 2 + 8 * 2 + 2 + 1 + 2 * 2 + (PartFrameLength(part) + 1) + 4 * 2 + TRAILING_NOPS;
}

bool ParsePartName(const char* text, BitPart* part) {
  for (const PartLayout& layout : LAYOUTS) {
    if (std::string("xc") + FindPart(layout.idcode)->headerPart == text) {
      *part = layout.part;
      return true;
    }
  }
  return false;
}

std::string PartNames() {
  std::string names;
  for (const PartLayout& layout : LAYOUTS) {
    names += std::string(names.empty() ? "xc" : ", xc") + FindPart(layout.idcode)->headerPart;
  }
  return names;
}

std::vector<uint8_t> MakeBitstreamBody(const BitstreamOptions& options, size_t size) {
  if (options.rawBody || size % 4 != 0 || size / 4 < PacketOverheadWords(options.part) + 1) {
    return RawBody(options.seed, size);
  }
  return PacketBody(options, size);
}

std::vector<uint8_t> MakeBitFile(const BitstreamOptions& options) {
  const size_t size = options.dataSize == AUTO_DATA_SIZE ? PartDataSize(options.part)
                                                         : options.dataSize;
  std::vector<uint8_t> file(std::begin(PREAMBLE), std::end(PREAMBLE));
  if (options.defect == BitDefect::BadPreamble) {
    file[1] = 0x08;
  }
  PutField(file, 'a', options.designName);
  PutField(file, 'b', PartName(options.part));
  if (options.defect == BitDefect::TruncatedHeader) {
    file.resize(file.size() - 4);
    return file;
  }
  if (options.defect == BitDefect::SwappedKeys) {
    PutField(file, 'd', HEADER_TIME);
    PutField(file, 'c', HEADER_DATE);
  } else {
    if (options.defect != BitDefect::MissingKey) {
      PutField(file, 'c', HEADER_DATE);
    }
    PutField(file, 'd', HEADER_TIME);
  }
  file.push_back('e');
  if (options.defect == BitDefect::ShortDataLength) {
    file.push_back(static_cast<uint8_t>(size >> 8));
    file.push_back(static_cast<uint8_t>(size));
  } else {
    PutWord(file, static_cast<uint32_t>(size));
  }
  std::vector<uint8_t> body = MakeBitstreamBody(options, size);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

bool WriteBitFile(const char* path, const BitstreamOptions& options) {
  std::vector<uint8_t> bytes = MakeBitFile(options);
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) {
    return false;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  bool closed = std::fclose(out) == 0;
  return written && closed;
}

}  // namespace torvane
