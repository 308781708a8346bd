#include "tools/make_bitstream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "bitfile/bit_file.h"
#include "procedures/parts.h"
#include "tests/support/scratch_dir.h"

namespace torvane {
namespace {

using testing::ScratchDir;

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return (uint32_t{bytes[offset]} << 24) | (uint32_t{bytes[offset + 1]} << 16) |
         (uint32_t{bytes[offset + 2]} << 8) | uint32_t{bytes[offset + 3]};
}

// Reads a generated file back through the reader: its data bytes, or nothing on failure.
BitFileError ReadBack(const std::string& path, std::vector<uint8_t>* data) {
  BitFile file;
  BitFileError error = LoadBitFile(path.c_str(), &file);
  if (error == BitFileError::None) {
    EXPECT_EQ(file.declaredLength, file.data.size());
  }
  *data = file.data;
  return error;
}

struct SizeCase {
  const char* name;
  BitPart part;
  size_t dataSize;
  size_t expected;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class GeneratedSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(GeneratedSize, ParsesWithTheReaderAtTheExactSize) {
  ScratchDir dir;
  BitstreamOptions options;
  options.part = GetParam().part;
  options.dataSize = GetParam().dataSize;
  options.seed = 7;
  std::string path = dir.Path("gen.bit");
  ASSERT_TRUE(WriteBitFile(path.c_str(), options));
  std::vector<uint8_t> data;
  ASSERT_EQ(ReadBack(path, &data), BitFileError::None);
  EXPECT_EQ(data.size(), GetParam().expected);
  std::vector<uint8_t> whole = MakeBitFile(options);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), whole.end() - data.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, GeneratedSize,
    ::testing::Values(SizeCase{"Xc3s200", BitPart::Xc3s200, AUTO_DATA_SIZE, 130952},
                      SizeCase{"Xc3s400", BitPart::Xc3s400, AUTO_DATA_SIZE, 212392},
                      SizeCase{"OneByte", BitPart::Xc3s200, 1, 1},
                      SizeCase{"Empty", BitPart::Xc3s200, 0, 0},
                      SizeCase{"OneChunk", BitPart::Xc3s200, 512, 512},
                      SizeCase{"PromSized", BitPart::Xc3s400, 262144, 262144}),
    [](const ::testing::TestParamInfo<SizeCase>& info) { return info.param.name; });

// Every FPGA of the part table can be named to the generator, whose files carry its
// IDCODE and a header part the table takes for it.
TEST(ParsePartName, KnowsEveryFpgaOfThePartTable) {
  size_t fpgas = 0;
  for (const Part& fpga : Parts()) {
    if (fpga.family != PartFamily::Fpga) continue;
    ++fpgas;
    BitPart part;
    ASSERT_TRUE(ParsePartName(("xc" + std::string(fpga.headerPart)).c_str(), &part)) << fpga.name;
    EXPECT_EQ(PartIdcode(part), fpga.idcode);
    EXPECT_TRUE(PartFits(PartName(part), fpga)) << PartName(part);
  }
  EXPECT_EQ(fpgas, std::size(BIT_PARTS));
  BitPart part;
  EXPECT_FALSE(ParsePartName("xc3s100e", &part));
}

// Walks the packets of a full-size body as the simulated FPGA would read them.
TEST(MakeBitstreamBody, WritesSyncIdcodeFrameDataAndDesync) {
  for (BitPart part : BIT_PARTS) {
    SCOPED_TRACE(PartName(part));
    BitstreamOptions options;
    options.part = part;
    options.seed = 3;
    std::vector<uint8_t> body = MakeBitstreamBody(options, PartDataSize(part));
    ASSERT_EQ(body.size(), PartDataSize(part));
    size_t at = 0;
    while (WordAt(body, at) == DUMMY_WORD) {
      at += 4;
    }
    ASSERT_EQ(WordAt(body, at), SYNC_WORD);
    at += 4;
    uint32_t idcode = 0;
    uint32_t frameLength = 0;
    uint32_t frameWords = 0;
    std::vector<uint32_t> commands;
    while (at < body.size()) {
      uint32_t header = WordAt(body, at);
      at += 4;
      uint32_t reg = PacketRegister(header);
      uint32_t count = PacketWordCount(header);
      if (header == Type1Header(OP_WRITE, REG_FDRI, 0)) {
        uint32_t type2 = WordAt(body, at);
        ASSERT_EQ(PacketType(type2), 2u);
        ASSERT_EQ(PacketOpcode(type2), OP_WRITE);
        frameWords = PacketWordCount(type2);
        at += 4 + 4 * size_t{frameWords};
        EXPECT_EQ(WordAt(body, at) >> 16, 0u);  // the CRC word outside the count
        at += 4;
        continue;
      }
      if (header == NOP_WORD) {
        continue;
      }
      ASSERT_EQ(header, Type1Header(OP_WRITE, reg, count));
      ASSERT_EQ(count, 1u);
      if (reg == REG_IDCODE) {
        idcode = WordAt(body, at);
      } else if (reg == REG_FLR) {
        frameLength = WordAt(body, at);
      } else if (reg == REG_CMD) {
        commands.push_back(WordAt(body, at));
      }
      at += 4;
    }
    EXPECT_EQ(at, body.size());
    EXPECT_EQ(idcode, PartIdcode(part));
    EXPECT_EQ(frameLength, PartFrameLength(part));
    // At the part's full size the frame data is whole frames, as a design's is.
    EXPECT_EQ(frameWords % (frameLength + 1), 0u);
    EXPECT_EQ(commands, (std::vector<uint32_t>{CMD_RCRC, CMD_SWITCH, CMD_WCFG, CMD_GRESTORE,
                                               CMD_LFRM, CMD_START, CMD_DESYNC}));
  }
}

TEST(MakeBitstreamBody, IsDeterministicFromTheSeed) {
  BitstreamOptions options;
  options.seed = 7;
  std::vector<uint8_t> first = MakeBitstreamBody(options, 4096);
  EXPECT_EQ(first, MakeBitstreamBody(options, 4096));
  options.seed = 8;
  EXPECT_NE(first, MakeBitstreamBody(options, 4096));
  options.seed = 7;
  options.rawBody = true;
  EXPECT_NE(first, MakeBitstreamBody(options, 4096));
}

TEST(MakeBitFile, MalformedVariantsAreRejectedByTheReader) {
  const BitDefect defects[] = {BitDefect::BadPreamble, BitDefect::MissingKey,
                               BitDefect::SwappedKeys, BitDefect::TruncatedHeader,
                               BitDefect::ShortDataLength};
  ScratchDir dir;
  for (BitDefect defect : defects) {
    SCOPED_TRACE(static_cast<int>(defect));
    BitstreamOptions options;
    options.defect = defect;
    std::string path = dir.Path("bad.bit");
    ASSERT_TRUE(WriteBitFile(path.c_str(), options));
    std::vector<uint8_t> data;
    EXPECT_EQ(ReadBack(path, &data), BitFileError::WrongFormat);
    EXPECT_TRUE(data.empty());
  }
}

}  // namespace
}  // namespace torvane
