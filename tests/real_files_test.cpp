// Files written by the vendor's own generators for real designs, read from beside the
// repository (never copied into it): each configures its simulated part, boots it from
// the PROM, and the PROM file among them reads back to the .bit it was made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bitfile/config_file.h"
#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "procedures/parts.h"
#include "sim/fpga.h"
#include "tests/support/download_fixture.h"

namespace torvane {
namespace {

using sim::BoardKind;

std::string RealFile(const char* name) { return std::string(TORVANE_REAL_FILES) + "/" + name; }

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return uint32_t{bytes[offset]} << 24 | uint32_t{bytes[offset + 1]} << 16 |
         uint32_t{bytes[offset + 2]} << 8 | bytes[offset + 3];
}

// The words of the long frame data write: after FDRI's empty type 1 header, the type 2
// header's count of them.
std::vector<uint32_t> FrameWords(const std::vector<uint8_t>& data) {
  size_t at = 0;
  while (at + 8 <= data.size() && WordAt(data, at) != Type1Header(OP_WRITE, REG_FDRI, 0)) at += 4;
  if (at + 8 > data.size()) return {};
  const size_t count = PacketWordCount(WordAt(data, at + 4));
  std::vector<uint32_t> words;
  for (size_t i = 0; i < count && at + 12 + 4 * i <= data.size(); ++i) {
    words.push_back(WordAt(data, at + 8 + 4 * i));
  }
  return words;
}

class RealFiles : public testing::DownloadTest {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(TORVANE_REAL_FILES)) {
      GTEST_SKIP() << "the real configuration files are not beside the repository: "
                   << TORVANE_REAL_FILES;
    }
  }
  const sim::Fpga& fpga() const { return *board_->fpga(); }
};

struct RealBitstream {
  const char* file;
  BoardKind alone;
  BoardKind withProm;
  BitPart part;
};
constexpr RealBitstream REAL_BITSTREAMS[] = {
    {"xc3s200_echo_out.bit", BoardKind::Xc3s200, BoardKind::Prom200, BitPart::Xc3s200},
    {"xc3s400_variable_timebase.bit", BoardKind::Xc3s400, BoardKind::Prom400, BitPart::Xc3s400},
};

TEST_F(RealFiles, EachBitstreamConfiguresItsPartAndBootsItFromTheProm) {
  for (const RealBitstream& real : REAL_BITSTREAMS) {
    SCOPED_TRACE(real.file);
    BitFile file;
    ASSERT_EQ(LoadBitFile(RealFile(real.file).c_str(), &file), BitFileError::None);
    const std::vector<uint32_t> frames = FrameWords(file.data);
    ASSERT_FALSE(frames.empty());

    Connect(real.alone);
    EXPECT_EQ(DownloadFpgaFrom(state_, host_, file), DownloadResult::Complete);
    EXPECT_TRUE(fpga().done());
    EXPECT_EQ(fpga().frameData(), frames);
    EXPECT_TRUE(std::equal(file.data.begin(), file.data.end(), fpga().configBits().begin()));

    // One bit of one frame word flipped: the part's CRC check refuses the design.
    BitFile damaged = file;
    damaged.data[damaged.data.size() / 2] ^= 0x04;
    EXPECT_EQ(DownloadFpgaFrom(state_, host_, damaged), DownloadResult::Failed);
    EXPECT_TRUE(fpga().crcError());
    EXPECT_FALSE(fpga().done());
    EXPECT_EQ(state_.report.fpga, FpgaCheck::InitLowAfterLoad);

    Connect(real.withProm);
    EXPECT_EQ(DownloadPromFrom(state_, host_, file), DownloadResult::Complete);
    EXPECT_TRUE(state_.report.doneRose);
    EXPECT_TRUE(fpga().done());
    EXPECT_EQ(fpga().frameData(), frames);
  }
}

// The generator's files are shaped like real ones: at the part's full size every word
// but the frame data, the CRC word after it and the options (COR) is the real file's.
TEST_F(RealFiles, TheTestGeneratorWritesTheRealLayout) {
  for (const RealBitstream& real : REAL_BITSTREAMS) {
    SCOPED_TRACE(real.file);
    BitFile file;
    ASSERT_EQ(LoadBitFile(RealFile(real.file).c_str(), &file), BitFileError::None);
    BitstreamOptions options;
    options.part = real.part;
    const std::vector<uint8_t> body = MakeBitstreamBody(options, PartDataSize(real.part));
    ASSERT_EQ(body.size(), file.data.size());
    const size_t frameStart = 4 * 20;  // dummy, sync, eight writes, two headers
    const size_t frameEnd = frameStart + 4 * FrameWords(file.data).size();
    ASSERT_EQ(FrameWords(body).size(), FrameWords(file.data).size());
    for (size_t at = 0; at < body.size(); at += 4) {
      bool cor = at == 4 * 7;
      if ((at >= frameStart && at <= frameEnd) || cor) continue;
      EXPECT_EQ(WordAt(body, at), WordAt(file.data, at)) << "word " << at / 4;
    }
  }
}

TEST_F(RealFiles, ThePromFileHoldsItsBitFileBitReversed) {
  BitFile bit;
  ASSERT_EQ(LoadBitFile(RealFile("xc3s100e_dino.bit").c_str(), &bit), BitFileError::None);
  const std::string mcsPath = RealFile("xc3s100e_xcf02s_dino.mcs");
  const uint32_t capacity = PromCapacity(*FindPart(IDCODE_PROM_XCF02S));
  ConfigFile mcs;
  std::string why;
  ASSERT_EQ(LoadConfigFile(mcsPath.c_str(), capacity, &mcs, &why),
            ConfigFileError::None)
      << why;
  EXPECT_EQ(mcs.format, ConfigFormat::IntelHex);
  EXPECT_EQ(mcs.order, ByteOrder::Reversed);
  EXPECT_EQ(mcs.bit.data, bit.data);
  ASSERT_TRUE(mcs.hasIdcode);
  EXPECT_EQ(mcs.idcode, 0x01C10093u);  // the Spartan-3E part its header names
  // The checksum the vendor's report gives for this file.
  EXPECT_EQ(PromChecksum(mcs.bit.data.data(), mcs.bit.data.size(), capacity),
            0x02F956ABu);
  // Written back in the vendor's form, the file comes out character for character.
  const std::vector<uint8_t> vendor = ReadBytes(mcsPath);
  EXPECT_EQ(FormatPromFile(bit.data.data(), bit.data.size()),
            std::string(vendor.begin(), vendor.end()));
}

}  // namespace
}  // namespace torvane
