#include "tools/make_bitstream.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "sim/config_crc.h"

namespace torvane {
namespace {

constexpr uint8_t PREAMBLE[13] = {0x00, 0x09, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F,
                                  0xF0, 0x0F, 0xF0, 0x00, 0x00, 0x01};
constexpr const char* HEADER_DATE = "2026/12/08";
constexpr const char* HEADER_TIME = "05:00:00";

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

std::vector<uint8_t> PacketBody(BitPart part, uint32_t seed, size_t size) {
  const size_t totalWords = size / 4;
  const size_t frameWords = totalWords - PACKET_OVERHEAD_WORDS;
  std::vector<uint8_t> body;
  body.reserve(size);
  PutWord(body, DUMMY_WORD);
  PutWord(body, SYNC_WORD);
  uint16_t crc = 0;
  PutRegister(body, REG_CMD, CMD_RCRC, &crc);
  PutRegister(body, REG_COR, 0x00003FE5, &crc);
  PutRegister(body, REG_IDCODE, PartIdcode(part), &crc);
  PutRegister(body, REG_MASK, 0x00000000, &crc);
  PutRegister(body, REG_CTL, 0x00000000, &crc);
  PutRegister(body, REG_CMD, CMD_WCFG, &crc);
  PutRegister(body, REG_FAR, 0, &crc);
  PutWord(body, Type1Header(OP_WRITE, REG_FDRI, 0));
  PutWord(body, Type2Header(OP_WRITE, static_cast<uint32_t>(frameWords)));
  WordSource source(seed);
  for (size_t i = 0; i < frameWords; ++i) {
    uint32_t word = source.Next();
    PutWord(body, word);
    crc = sim::ConfigCrcStep(crc, REG_FDRI, word);
  }
  PutRegister(body, REG_CMD, CMD_START, &crc);
  PutRegister(body, REG_CTL, 0x00000000, &crc);
  // The check itself is not folded in: the FPGA compares and starts afresh.
  uint16_t check = crc;
  PutRegister(body, REG_CRC, check, &crc);
  PutRegister(body, REG_CMD, CMD_DESYNC, &crc);
  while (body.size() < size) {
    PutWord(body, NOP_WORD);
  }
  return body;
}

}  // namespace

const char* PartName(BitPart part) {
  return part == BitPart::Xc3s400 ? "3s400ft256" : "3s200ft256";
}

uint32_t PartIdcode(BitPart part) {
  return part == BitPart::Xc3s400 ? 0x0141C093 : 0x01414093;
}

size_t PartDataSize(BitPart part) {
  return part == BitPart::Xc3s400 ? 212392 : 130952;
}

bool ParsePartName(const char* text, BitPart* part) {
  if (std::strcmp(text, "xc3s200") == 0) {
    *part = BitPart::Xc3s200;
    return true;
  }
  if (std::strcmp(text, "xc3s400") == 0) {
    *part = BitPart::Xc3s400;
    return true;
  }
  return false;
}

std::vector<uint8_t> MakeBitstreamBody(BitPart part, uint32_t seed, size_t size, bool raw) {
  if (raw || size % 4 != 0 || size / 4 < PACKET_OVERHEAD_WORDS + 1) {
    return RawBody(seed, size);
  }
  return PacketBody(part, seed, size);
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
  std::vector<uint8_t> body = MakeBitstreamBody(options.part, options.seed, size, options.rawBody);
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
