#include "procedures/download_fpga.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "link/vectors.h"
#include "procedures/fpga_status.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/download_fixture.h"

namespace torvane {
namespace {

using sim::BoardKind;
using testing::DownloadTest;

class FpgaDownload : public DownloadTest {
 protected:
  const testing::RecordedMessage& Verdict() const { return host_.messages.back(); }
  // The writes of the load proper, from its first in asynchronous mode: the clear before
  // it runs in synchronous mode.
  std::vector<uint32_t> LoadWrites() const {
    const auto& all = board_->writeSizes();
    return std::vector<uint32_t>(all.begin() + static_cast<std::ptrdiff_t>(loadStart_), all.end());
  }
  void WatchForTheLoad() {
    board_->SetWriteHook([this](uint32_t) {
      if (loadStart_ == 0 && board_->bitMode() == BITMODE_ASYNC_BITBANG) {
        loadStart_ = board_->writeSizes().size();
      }
    });
  }
  size_t loadStart_ = 0;
};

// The bits that reached the configuration port, as bytes, most significant bit first.
std::vector<uint8_t> CollectedBytes(const sim::Fpga& fpga, size_t count) {
  const auto& bits = fpga.configBits();
  return std::vector<uint8_t>(bits.begin(), bits.begin() + static_cast<std::ptrdiff_t>(count));
}

TEST_F(FpgaDownload, ConfiguresTheFpgaAndReportsComplete) {
  for (auto [kind, part] : {std::pair{BoardKind::Xc3s200, BitPart::Xc3s200},
                            std::pair{BoardKind::Xc3s400, BitPart::Xc3s400},
                            std::pair{BoardKind::Xc3s1000, BitPart::Xc3s1000}}) {
    Connect(kind);
    BitstreamOptions options;
    options.part = part;
    SelectFile(options);
    size_t size = PartDataSize(part);

    EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);

    const sim::Fpga& fpga = *board_->fpga();
    EXPECT_EQ(8 * size, fpga.configLengthBits());  // a whole design for the part
    // Every data bit in file order, then the single 0 bit of the start-up table's exit.
    ASSERT_EQ(fpga.configBitCount(), 8 * size + 1);
    EXPECT_EQ(CollectedBytes(fpga, size), DataSection(size));
    EXPECT_EQ(fpga.configBits().back() & 0x80, 0);
    EXPECT_TRUE(fpga.done());
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(Verdict().text, "DOWNLOAD COMPLETE !");
    EXPECT_EQ(Verdict().caption, "Operation Status");
    EXPECT_EQ(Verdict().icon, MessageIcon::Information);
    EXPECT_EQ(Verdict().owner, MessageOwner::Dialog);
    EXPECT_EQ(board_->baudRate(), 921600u);
    EXPECT_EQ(board_->lines() & 0x01, 0x01);  // D0 stays high after start-up
    host_.messages.clear();
    state_.lastReportedOffset = 0;
  }
}

// A volatile load on the PROM chain: the FPGA starts, and the PROM only ever holds BYPASS
// (after identification's IDCODE), so its memory keeps the design it had.
TEST_F(FpgaDownload, ConfiguresTheFpgaBehindThePromAndLeavesThePromAlone) {
  for (auto [kind, part] : {std::pair{BoardKind::Prom200, BitPart::Xc3s200},
                            std::pair{BoardKind::Prom400, BitPart::Xc3s400},
                            std::pair{BoardKind::Prom1000, BitPart::Xc3s1000}}) {
    Connect(kind);
    board_->prom()->Fill(0x5A);
    const std::vector<uint8_t> promBefore = board_->prom()->memory();
    BitstreamOptions options;
    options.part = part;
    SelectFile(options);
    BitFile file;
    ASSERT_EQ(LoadBitFile(state_.path, &file), BitFileError::None);
    size_t size = PartDataSize(part);

    EXPECT_EQ(DownloadFpgaFrom(state_, host_, file, FpgaChain::BehindProm),
              DownloadResult::Complete);

    const sim::Fpga& fpga = *board_->fpga();
    // Every data bit in file order, then the exit bit's 0.
    ASSERT_EQ(fpga.configBitCount(), 8 * size + 1);
    EXPECT_EQ(CollectedBytes(fpga, size), DataSection(size));
    EXPECT_TRUE(fpga.done());
    EXPECT_EQ(state_.report.fpga, FpgaCheck::Configured);
    EXPECT_EQ(Verdict().text, "DOWNLOAD COMPLETE !");
    EXPECT_EQ(board_->prom()->memory(), promBefore);
    for (uint32_t instruction : board_->prom()->instructionLog()) {
      EXPECT_TRUE(instruction == sim::Prom::INSTR_BYPASS || instruction == sim::Prom::INSTR_IDCODE)
          << std::hex << instruction;
    }
    host_.messages.clear();
    state_.lastReportedOffset = 0;
  }
}

TEST_F(FpgaDownload, ABitstreamForAnotherPartFails) {
  Connect(BoardKind::Xc3s200);
  BitstreamOptions options;
  options.part = BitPart::Xc3s400;
  SelectFile(options);
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Failed);
  EXPECT_FALSE(board_->fpga()->done());
  EXPECT_TRUE(board_->fpga()->configError());
  EXPECT_EQ(Verdict().text, "DOWNLOAD FAILED !");
  EXPECT_EQ(Verdict().icon, MessageIcon::Error);
  EXPECT_EQ(board_->lines(), PIN_DIRECTION_MASK);  // every output high after the box
}

TEST_F(FpgaDownload, NoAdapterFailsAndStillReleasesTheLines) {
  Connect(BoardKind::None, /*traced=*/true);
  SelectRawFile(100);
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Failed);
  EXPECT_EQ(Verdict().text, "DOWNLOAD FAILED !");
  std::vector<std::string> trace = TraceLines();
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace.back(), "write FF");
  // The clear failed: nothing of the download followed it.
  EXPECT_EQ(std::find(trace.begin(), trace.end(), "baud 921600"), trace.end());
}

TEST_F(FpgaDownload, DataOfAnExactMultipleEndsWithAnEmptyPass) {
  Connect(BoardKind::Xc3s200);
  SelectRawFile(1024);
  uint32_t headerSize = static_cast<uint32_t>(data_.size() - 1024);
  WatchForTheLoad();
  DownloadFpga(state_, host_);
  std::vector<uint32_t> writes = LoadWrites();
  ASSERT_GE(writes.size(), 4u);
  EXPECT_EQ(writes[0], 40u);
  EXPECT_EQ(writes[1], 8192u);
  EXPECT_EQ(writes[2], 8192u);
  EXPECT_EQ(writes[3], 82u);
  ASSERT_EQ(host_.ranges.size(), 1u);
  EXPECT_EQ(host_.ranges[0], std::make_pair(0u, 1024u));
  // The position is the file offset, header included; the last pass only moves the bar.
  EXPECT_EQ(host_.positions, (std::vector<uint32_t>{0, headerSize + 512, headerSize + 1024,
                                                    headerSize + 1024}));
  EXPECT_EQ(state_.lastReportedOffset, headerSize + 1024);

  // The next download starts its bar where the last one ended.
  host_.positions.clear();
  DownloadFpga(state_, host_);
  EXPECT_EQ(host_.positions.front(), headerSize + 1024);
}

TEST_F(FpgaDownload, OneDataByteIs138BytesBeforeTheVerdict) {
  Connect(BoardKind::Xc3s200);
  SelectRawFile(1);
  WatchForTheLoad();
  DownloadFpga(state_, host_);
  std::vector<uint32_t> writes = LoadWrites();
  ASSERT_GE(writes.size(), 3u);
  EXPECT_EQ(writes[0] + writes[1] + writes[2], 138u);
  EXPECT_EQ(writes[1], 16u);
  EXPECT_EQ(board_->fpga()->configBitCount(), 9u);
  // Random data never starts the FPGA: DONE stays low and the verdict says so.
  EXPECT_EQ(Verdict().text, "DOWNLOAD FAILED !");
}

TEST_F(FpgaDownload, ABadHeaderStopsBeforeAnyTraffic) {
  Connect(BoardKind::Xc3s200);
  BitstreamOptions options;
  options.defect = BitDefect::MissingKey;
  SelectFile(options);
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::FileError);
  EXPECT_TRUE(DownloadWrites().empty());
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, "Wrong file format!");
  EXPECT_EQ(host_.messages[0].owner, MessageOwner::None);

  host_.messages.clear();
  std::snprintf(state_.path, sizeof state_.path, "%s", (dir_ / "missing.bit").string().c_str());
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::FileError);
  EXPECT_TRUE(DownloadWrites().empty());
  EXPECT_EQ(host_.messages[0].text, "File not Found !");
}

TEST_F(FpgaDownload, AFailedPreambleSkipsTheData) {
  Connect(BoardKind::Xc3s200);
  SelectRawFile(2000);
  board_->faults().failWriteFrom = static_cast<uint32_t>(writesAfterIdentify_ + 1);
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Failed);
  EXPECT_EQ(board_->fpga()->configBitCount(), 0u);
  EXPECT_TRUE(DownloadWrites().empty());
}

TEST_F(FpgaDownload, ASecondDownloadIntoARunningFpgaStaysConfigured) {
  Connect(BoardKind::Xc3s400);
  BitstreamOptions options;
  options.part = BitPart::Xc3s400;
  SelectFile(options);
  ASSERT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
  EXPECT_EQ(board_->fpga()->startups(), 2u);
  EXPECT_TRUE(board_->fpga()->done());
}

// With CRC checking off at generation the part takes the same damaged data and starts.
TEST_F(FpgaDownload, OneFlippedFrameBitFailsTheCrcCheckUnlessCheckingIsOff) {
  for (bool checkingOff : {false, true}) {
    Connect(BoardKind::Xc3s200);
    BitstreamOptions options;
    options.crcBypass = checkingOff;
    std::vector<uint8_t> file = MakeBitFile(options);
    file[file.size() - 4096] ^= 0x10;  // inside the frame data
    SelectBytes(file);
    EXPECT_EQ(DownloadFpga(state_, host_),
              checkingOff ? DownloadResult::Complete : DownloadResult::Failed);
    const sim::Fpga& fpga = *board_->fpga();
    EXPECT_TRUE(fpga.idChecked());
    EXPECT_EQ(fpga.crcError(), !checkingOff);
    EXPECT_EQ(fpga.initHigh(), checkingOff);
    EXPECT_EQ(fpga.done(), checkingOff);
  }
}

TEST(DoneCapture, OnlyACaptureStartingOneZeroIsBelieved) {
  // TDO in sample 9 + 2i carries shifted bit i; other lines (TDI, D0) may be high. Behind
  // the PROM, its eight capture bits come out first.
  auto samples = [](uint32_t shifted, int bits) {
    std::vector<uint8_t> s(2 * (bits + 6), 0x81);
    for (int i = 0; i < bits; ++i) {
      if (shifted & (1u << i)) s[9 + 2 * i] |= 0x20;
    }
    return s;
  };
  auto decode = [](FpgaChain chain, const std::vector<uint8_t>& s, size_t count) {
    std::vector<PinVector> scan;
    ScanPlace place = AppendStatusScan(&scan, chain, 0x01);
    return DecodeStatusCapture(place, s.data(), count);
  };
  auto whole = [&](FpgaChain chain, const std::vector<uint8_t>& s) {
    return decode(chain, s, s.size());
  };
  std::vector<uint8_t> done = samples(0x31, 6);
  DoneCheck check = whole(FpgaChain::Alone, done);
  EXPECT_TRUE(check.believable);
  EXPECT_TRUE(check.done);
  EXPECT_TRUE(check.init);
  EXPECT_FALSE(whole(FpgaChain::Alone, samples(0x11, 6)).done);
  EXPECT_FALSE(whole(FpgaChain::Alone, samples(0x3F, 6)).believable);
  EXPECT_FALSE(whole(FpgaChain::Alone, samples(0x3F, 6)).done);
  EXPECT_FALSE(whole(FpgaChain::Alone, samples(0x00, 6)).believable);
  // Samples that never arrived are not a capture.
  EXPECT_FALSE(decode(FpgaChain::Alone, done, 15).believable);

  EXPECT_TRUE(whole(FpgaChain::BehindProm, samples(0x31u << 8 | 0x01, 14)).done);
  // The FPGA's bits are right but the PROM's are not: neither is believed.
  EXPECT_FALSE(whole(FpgaChain::BehindProm, samples(0x31u << 8 | 0xFF, 14)).believable);
}

TEST(StatusMessages, TheVerdictRowsAndTheTableSize) {
  EXPECT_STREQ(STATUS_MESSAGES[STATUS_COMPLETE], "DOWNLOAD COMPLETE !");
  EXPECT_STREQ(STATUS_MESSAGES[STATUS_FAILED], "DOWNLOAD FAILED !");
  EXPECT_STREQ(STATUS_MESSAGES[19], "UNEXPECTED EOF !");
}

// A stop is taken between chunks: the chunk under way goes out whole, start-up is never
// clocked, the lines are released, and no verdict is shown.
TEST_F(FpgaDownload, AStopIsTakenBetweenChunks) {
  Connect(BoardKind::Xc3s200);
  SelectFile(BitstreamOptions{});
  std::atomic<bool> stop{false};
  state_.stopRequested = &stop;
  // Asked for while the second chunk is written.
  board_->SetWriteHook([&](uint32_t) {
    if (board_->fpga()->configBitCount() > 0) stop = true;
  });
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Interrupted);
  EXPECT_EQ(board_->fpga()->configBitCount(), 2 * 8 * CHUNK_BYTES);
  EXPECT_FALSE(board_->fpga()->done());
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(DownloadWrites().back(), 1u);
  EXPECT_EQ(board_->lines(), 0xDF);  // released: every output high
}

}  // namespace
}  // namespace torvane
