#include "procedures/download_prom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/download_fixture.h"

namespace torvane {
namespace {

using sim::BoardKind;
using testing::DownloadTest;

// The flash of the board's XCF02S.
const uint32_t BLOCK_BYTES = FindPart(IDCODE_PROM_XCF02S)->blockBytes;
const uint32_t BLOCK_COUNT = FindPart(IDCODE_PROM_XCF02S)->blockCount;
const uint32_t CAPACITY_BYTES = BLOCK_BYTES * BLOCK_COUNT;

class PromDownload : public DownloadTest {
 protected:
  void SetUp() override {
    Connect(BoardKind::Prom200);
    board_->prom()->Fill(0x00);  // a previous design: nothing reads as erased
  }
  const sim::Prom& prom() const { return *board_->prom(); }
  std::vector<uint8_t> Block(uint32_t index) const {
    auto begin = prom().memory().begin() + index * BLOCK_BYTES;
    return std::vector<uint8_t>(begin, begin + BLOCK_BYTES);
  }
  // The file's data padded with 0xFF to whole blocks, as the flash should hold it.
  std::vector<uint8_t> Padded(size_t dataSize, size_t blocks) const {
    std::vector<uint8_t> expected = DataSection(dataSize);
    expected.resize(blocks * BLOCK_BYTES, 0xFF);
    return expected;
  }
  std::vector<uint8_t> Memory(size_t blocks) const {
    return std::vector<uint8_t>(prom().memory().begin(),
                                prom().memory().begin() + blocks * BLOCK_BYTES);
  }
  bool RestIsErased(size_t fromBlock) const {
    return std::all_of(prom().memory().begin() + fromBlock * BLOCK_BYTES,
                       prom().memory().end(), [](uint8_t b) { return b == 0xFF; });
  }
};

TEST_F(PromDownload, ProgramsTheDataPaddedInAddressedBlocks) {
  SelectRawFile(1300);
  EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Complete);
  EXPECT_EQ(prom().erases(), 1u);
  EXPECT_GE(prom().lastEraseClocks(), sim::Prom::ERASE_CLOCKS);
  EXPECT_EQ(prom().programmedAddresses(), (std::vector<uint16_t>{0x0000, 0x0020, 0x0040}));
  EXPECT_EQ(prom().programsCutShort(), 0u);
  EXPECT_EQ(Memory(3), Padded(1300, 3));
  EXPECT_TRUE(RestIsErased(3));
  EXPECT_EQ(prom().finishes(), 1u);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, "DOWNLOAD COMPLETE !");
  EXPECT_EQ(host_.messages[0].caption, "Operation Status");
  EXPECT_FALSE(prom().iscMode());  // the check after the finish leaves programming mode
  // The FPGA held BYPASS through every PROM scan.
  for (uint32_t instruction : board_->fpga()->instructionLog()) {
    if (instruction != sim::Fpga::INSTR_IDCODE) {
      EXPECT_EQ(instruction, sim::Fpga::INSTR_BYPASS);
    }
  }
}

TEST_F(PromDownload, WholeBlocksGetOneMoreBlockOfOnes) {
  for (size_t size : {size_t{0}, size_t{1024}}) {
    SetUp();
    SelectRawFile(size);
    DownloadProm(state_, host_);
    size_t blocks = size / BLOCK_BYTES + 1;
    ASSERT_EQ(prom().programmedAddresses().size(), blocks) << size;
    EXPECT_EQ(prom().programmedAddresses().back(), (blocks - 1) * sim::Prom::BLOCK_ADDRESS_UNITS);
    EXPECT_EQ(Memory(blocks), Padded(size, blocks));
    EXPECT_EQ(prom().erases(), 1u);
    EXPECT_EQ(prom().finishes(), 1u);
  }
}

TEST_F(PromDownload, ProgressThroughTheFourPhases) {
  SelectRawFile(1300);
  DownloadProm(state_, host_);
  ASSERT_EQ(host_.ranges, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 100}}));
  const std::vector<uint32_t>& p = host_.positions;
  ASSERT_EQ(p.size(), 3 * WAIT_WRITES + 3);
  EXPECT_EQ(p[0], 0u);
  EXPECT_EQ(p[WAIT_WRITES - 1], 24u);
  EXPECT_EQ(p[WAIT_WRITES], 25u);
  EXPECT_EQ(p[2 * WAIT_WRITES - 1], 49u);
  uint64_t total = data_.size();
  uint64_t header = total - 1300;
  EXPECT_EQ(p[2 * WAIT_WRITES], 50 + (header + 512) * 25 / total);
  EXPECT_EQ(p[2 * WAIT_WRITES + 2], 75u);  // the last block ends at end of file
  EXPECT_EQ(p[2 * WAIT_WRITES + 3], 75u);
  EXPECT_EQ(p.back(), 99u);
  EXPECT_TRUE(std::is_sorted(p.begin(), p.end()));
  EXPECT_EQ(state_.lastReportedOffset, total);
}

TEST_F(PromDownload, EveryWaitIsSeparateWrites) {
  SelectRawFile(600);
  DownloadProm(state_, host_);
  // Runs of 64-byte writes: three waits of 750 and, per block, the 32-vector data-to-address
  // table, the idle clocks before the program instruction and the five after it.
  std::vector<uint32_t> writes = DownloadWrites();
  std::vector<size_t> runs;
  size_t run = 0;
  for (uint32_t size : writes) {
    if (size == 64) {
      ++run;
    } else if (run) {
      runs.push_back(run);
      run = 0;
    }
  }
  if (run) runs.push_back(run);
  EXPECT_EQ(runs, (std::vector<size_t>{750, 750, 1, 1, 5, 1, 1, 5, 750}));
  EXPECT_EQ(std::count(writes.begin(), writes.end(), 8192u), 2);
}

TEST_F(PromDownload, DataThatDoesNotFitIsRefusedUntouched) {
  SelectRawFile(CAPACITY_BYTES + 1);
  EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::FileError);
  EXPECT_TRUE(DownloadWrites().empty());
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, "FILE TOO LARGE FOR PROM !");
  EXPECT_EQ(host_.messages[0].caption, "Error");
  EXPECT_EQ(host_.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(prom().erases(), 0u);
  EXPECT_TRUE(std::all_of(prom().memory().begin(), prom().memory().end(),
                          [](uint8_t b) { return b == 0x00; }));
}

TEST_F(PromDownload, AFullPromIsProgrammedWithoutABlockPastItsEnd) {
  SelectRawFile(CAPACITY_BYTES);
  EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Complete);
  EXPECT_EQ(prom().programmedAddresses().size(), BLOCK_COUNT);
  EXPECT_EQ(prom().programmedAddresses().back(), 0x3FE0);
  EXPECT_EQ(prom().programsPastEnd(), 0u);
  EXPECT_EQ(prom().memory(), DataSection(CAPACITY_BYTES));
  EXPECT_EQ(host_.positions[2 * WAIT_WRITES + BLOCK_COUNT - 1], 75u);
}

TEST_F(PromDownload, NoAdapterFailsAndReleasesTheLines) {
  Connect(BoardKind::None, /*traced=*/true);
  SelectRawFile(100);
  EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Failed);
  EXPECT_EQ(host_.messages.back().text, "DOWNLOAD FAILED !");
  EXPECT_EQ(host_.messages.back().icon, MessageIcon::Error);
  EXPECT_EQ(TraceLines().back(), "write FF");
}

// A stop is taken between blocks: the block under way is programmed in full, the PROM
// leaves programming mode, the lines are released, and no verdict is shown. Asked for
// before the download, it leaves the flash as it was.
TEST_F(PromDownload, AStopLeavesProgrammingModeBetweenBlocks) {
  std::atomic<bool> stop{false};
  state_.stopRequested = &stop;
  SelectRawFile(1300);
  board_->SetWriteHook([&](uint32_t) {
    if (prom().programmedAddresses().size() == 1) stop = true;
  });
  EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Interrupted);
  EXPECT_EQ(prom().programmedAddresses(), (std::vector<uint16_t>{0x0000}));
  EXPECT_EQ(prom().programsCutShort(), 0u);
  EXPECT_EQ(Block(0), Padded(1300, 1));
  EXPECT_TRUE(RestIsErased(1));
  EXPECT_FALSE(prom().iscMode());
  EXPECT_EQ(prom().finishes(), 0u);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(DownloadWrites().back(), 1u);
  EXPECT_EQ(board_->lines(), 0xDF);  // released: every output high

  // The interrupted PROM takes the next download whole.
  stop = false;
  board_->SetWriteHook(nullptr);
  EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Complete);
  EXPECT_EQ(Memory(3), Padded(1300, 3));

  Connect(BoardKind::Prom200);
  board_->prom()->Fill(0x00);
  state_.stopRequested = &stop;
  stop = true;
  EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Interrupted);
  EXPECT_EQ(prom().erases(), 0u);
  EXPECT_FALSE(prom().iscMode());
  EXPECT_EQ(DownloadWrites(), (std::vector<uint32_t>{1}));
}

}  // namespace
}  // namespace torvane
