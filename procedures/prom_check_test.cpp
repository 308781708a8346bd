// The PROM verdict asked of the devices, end to end on the simulated boards: the FPGA
// booting from the PROM, the read-back when it does not, and faults during the check.
#include "procedures/prom_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>

#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "procedures/identify.h"
#include "procedures/prom_readback.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/download_fixture.h"

namespace torvane {
namespace {

using sim::BoardKind;
using testing::DownloadTest;

// Runs of equal lines as "COUNT LINE", the form the stored trace is kept in.
std::vector<std::string> RunLengths(const std::vector<std::string>& lines) {
  std::vector<std::string> runs;
  for (size_t i = 0; i < lines.size();) {
    size_t j = i;
    while (j < lines.size() && lines[j] == lines[i]) ++j;
    runs.push_back(std::to_string(j - i) + " " + lines[i]);
    i = j;
  }
  return runs;
}

class PromCheck : public DownloadTest {
 protected:
  // Verifies the selected file, loaded as the CLI loads it.
  DownloadResult Verify() {
    BitFile file;
    EXPECT_EQ(LoadBitFile(state_.path, &file), BitFileError::None);
    return VerifyProm(state_, host_, file);
  }
  void Download(BoardKind kind, BitPart part) {
    Connect(kind);
    BitstreamOptions options;
    options.part = part;
    SelectFile(options);
    result_ = DownloadProm(state_, host_);
  }
  std::string Verdict() const { return host_.messages.empty() ? "" : host_.messages.back().text; }
  const sim::Prom& prom() const { return *board_->prom(); }
  const sim::Fpga& fpga() const { return *board_->fpga(); }

  DownloadResult result_ = DownloadResult::FileError;
};

TEST_F(PromCheck, AGoodImageBootsTheFpgaWhichRunsTheFilesDesign) {
  for (auto [kind, alone, part] :
       {std::tuple{BoardKind::Prom200, BoardKind::Xc3s200, BitPart::Xc3s200},
        std::tuple{BoardKind::Prom400, BoardKind::Xc3s400, BitPart::Xc3s400}}) {
    // The same file configured over JTAG, for the design the FPGA should run.
    Connect(alone);
    BitstreamOptions options;
    options.part = part;
    SelectFile(options);
    ASSERT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
    std::vector<uint32_t> design = fpga().frameData();

    host_ = testing::RecordingHost{};
    Download(kind, part);
    EXPECT_EQ(result_, DownloadResult::Complete);
    EXPECT_EQ(Verdict(), "DOWNLOAD COMPLETE !");
    EXPECT_TRUE(state_.report.doneRose);
    EXPECT_FALSE(state_.report.readBack);  // DONE is the proof; nothing read back
    EXPECT_EQ(prom().reads(), 0u);
    EXPECT_TRUE(fpga().done());
    EXPECT_EQ(fpga().startups(), 1u);
    EXPECT_FALSE(design.empty());
    EXPECT_EQ(fpga().frameData(), design);
    EXPECT_FALSE(prom().iscMode());
    // The FPGA held BYPASS and never saw an all-zero instruction.
    for (uint32_t instruction : fpga().instructionLog()) EXPECT_NE(instruction, 0u);
  }
}

// Each PROM in its own blocks: the XCF04S takes a design larger than an XCF02S holds,
// past the XCF02S's last address, boots the XC3S1000 from it and verifies; the XCF01S
// takes 256-byte blocks, and refuses a design larger than it holds before any erase.
TEST_F(PromCheck, EachPromTakesWhatItHoldsInItsOwnBlocks) {
  struct Case {
    BoardKind kind;
    BitPart part;
    uint32_t blockBytes;
    uint32_t capacity;
  };
  for (const Case& c : {Case{BoardKind::Prom1000, BitPart::Xc3s1000, 512, 524288},
                        Case{BoardKind::PromXcf01s, BitPart::Xc3s200, 256, 131072}}) {
    SCOPED_TRACE(sim::BoardName(c.kind));
    Download(c.kind, c.part);
    const size_t size = PartDataSize(c.part);
    const size_t blocks = size / c.blockBytes + 1;
    EXPECT_EQ(result_, DownloadResult::Complete);
    EXPECT_TRUE(state_.report.doneRose);
    EXPECT_TRUE(fpga().done());
    ASSERT_EQ(prom().programmedAddresses().size(), blocks);
    for (size_t block = 0; block < blocks; ++block) {
      ASSERT_EQ(prom().programmedAddresses()[block], block * BLOCK_ADDRESS_STEP);
    }
    EXPECT_EQ(prom().programsPastEnd(), 0u);
    std::vector<uint8_t> held = DataSection(size);
    held.resize(c.capacity, 0xFF);
    EXPECT_EQ(prom().memory(), held);
    // One write for each block's data: two adapter bytes a bit.
    std::vector<uint32_t> writes = DownloadWrites();
    EXPECT_EQ(static_cast<size_t>(std::count(writes.begin(), writes.end(), 16 * c.blockBytes)),
              blocks);
    EXPECT_EQ(Verify(), DownloadResult::Complete);
    std::vector<uint8_t> image;
    ASSERT_EQ(ReadProm(state_, host_, &image), DownloadResult::Complete);
    EXPECT_EQ(image, held);
  }
  EXPECT_GT(PartDataSize(BitPart::Xc3s1000), PromCapacity(*FindPart(IDCODE_PROM_XCF02S)));

  // An XC3S400 design on the XCF01S that holds the XC3S200's.
  const std::vector<uint8_t> held = prom().memory();
  const size_t writesBefore = board_->writeSizes().size();
  BitstreamOptions s400;
  s400.part = BitPart::Xc3s400;
  SelectFile(s400);
  EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::FileError);
  EXPECT_EQ(host_.messages.back().text, "FILE TOO LARGE FOR PROM !");
  EXPECT_EQ(board_->writeSizes().size(), writesBefore);
  EXPECT_EQ(prom().erases(), 1u);
  EXPECT_EQ(prom().memory(), held);
}

TEST_F(PromCheck, WithoutTheBootTheReadBackDecides) {
  // Mode pins for JTAG only: the PROM is right, the FPGA never starts from it. The
  // driver's latency timer is long, as a user may have set it.
  Connect(BoardKind::PromJtagMode);
  board_->SetDriverLatency(60);
  board_->Replug();
  IdentifyChain(state_, host_);
  SelectFile(BitstreamOptions{});
  result_ = DownloadProm(state_, host_);
  EXPECT_EQ(result_, DownloadResult::Complete);
  EXPECT_FALSE(state_.report.doneRose);
  EXPECT_TRUE(state_.report.readBack);
  EXPECT_EQ(state_.report.firstDifferentBlock, -1);
  EXPECT_FALSE(fpga().done());
  uint32_t blocks =
      static_cast<uint32_t>(PartDataSize(BitPart::Xc3s200) / prom().blockBytes() + 1);
  EXPECT_EQ(prom().reads(), blocks);
  EXPECT_EQ(host_.positions.back(), 99u);  // the download's bar ends where it always did
  // The check is a phase of its own from its start: the DONE polls, then every block read
  // back, never a step back, to its end.
  ASSERT_FALSE(host_.readBack.empty());
  const uint32_t total = host_.readBack.front().second;
  EXPECT_EQ(host_.readBack.front().first, 0u);
  EXPECT_GT(total, blocks);
  for (size_t i = 1; i < host_.readBack.size(); ++i) {
    EXPECT_EQ(host_.readBack[i].second, total);
    EXPECT_GE(host_.readBack[i].first, host_.readBack[i - 1].first);
  }
  EXPECT_EQ(host_.readBack.back().first, total);
  EXPECT_FALSE(prom().iscMode());

  // A design for the other part: the FPGA refuses it, the PROM still holds it.
  Download(BoardKind::Prom200, BitPart::Xc3s400);
  EXPECT_EQ(result_, DownloadResult::Complete);
  EXPECT_FALSE(fpga().done());
  EXPECT_FALSE(fpga().initHigh());
  EXPECT_TRUE(state_.report.readBack);
  EXPECT_EQ(state_.report.firstDifferentBlock, -1);
}

TEST_F(PromCheck, APromThatDoesNotProgramFailsNamingTheBlock) {
  Download(BoardKind::PromStuck, BitPart::Xc3s200);
  EXPECT_EQ(result_, DownloadResult::Failed);
  EXPECT_EQ(Verdict(), "DOWNLOAD FAILED !");
  EXPECT_TRUE(fpga().crcError());  // the FPGA's own check caught the old bytes
  EXPECT_FALSE(fpga().done());
  EXPECT_EQ(state_.report.prom, PromCause::PromDiffers);
  EXPECT_EQ(state_.report.firstDifferentBlock, static_cast<int>(sim::STUCK_PROM_BLOCK));
  EXPECT_FALSE(prom().iscMode());
}

TEST_F(PromCheck, TheTrafficUntilTheVerdictIsAsItWasBeforeTheCheck) {
  // Recorded from the download as it was before the check was added: 700 raw bytes.
  std::ifstream stored(std::string(TORVANE_TEST_DATA) + "/prom_download_until_verdict.trace");
  ASSERT_TRUE(stored);
  std::vector<std::string> before;
  for (std::string line; std::getline(stored, line);) before.push_back(line);

  Connect(BoardKind::Prom200, /*traced=*/true);
  SelectRawFile(700, 3);
  DownloadProm(state_, host_);
  std::vector<std::string> now = RunLengths(TraceLines());
  ASSERT_GT(now.size(), before.size());
  EXPECT_EQ(std::vector<std::string>(now.begin(), now.begin() + before.size()), before);
}

// A random image that fills the PROM: read gives it back bit for bit and in order, and
// verify finds it equal; with one bit flipped verify names the block it is in. Neither
// erases nor programs anything.
TEST_F(PromCheck, ReadAndVerifyARandomImage) {
  Connect(BoardKind::PromJtagMode);
  const size_t capacity = prom().memory().size();
  SelectRawFile(capacity, 11);
  ASSERT_EQ(DownloadProm(state_, host_), DownloadResult::Complete);
  std::vector<uint8_t> image;
  ASSERT_EQ(ReadProm(state_, host_, &image), DownloadResult::Complete);
  EXPECT_TRUE(image == DataSection(capacity)) << "the PROM read back is not the image";
  EXPECT_EQ(host_.readBack.back(), std::make_pair(prom().blockCount(), prom().blockCount()));
  EXPECT_EQ(Verify(), DownloadResult::Complete);

  uint32_t erases = prom().erases();
  size_t programs = prom().programmedAddresses().size();
  const size_t block = 300;
  std::vector<uint8_t> flipped = data_;
  flipped[flipped.size() - capacity + block * prom().blockBytes() + 77] ^= 0x10;
  SelectBytes(flipped);
  EXPECT_EQ(Verify(), DownloadResult::Failed);
  EXPECT_EQ(state_.report.prom, PromCause::PromDiffers);
  EXPECT_EQ(state_.report.firstDifferentBlock, static_cast<int>(block));
  EXPECT_EQ(CauseText(DownloadResult::Failed, state_.report),
            "the PROM differs from the file from block 300 (bytes from 153600)");
  EXPECT_EQ(prom().erases(), erases);
  EXPECT_EQ(prom().programmedAddresses().size(), programs);

  Connect(BoardKind::PromStuck);
  SelectFile(BitstreamOptions{});
  DownloadProm(state_, host_);
  EXPECT_EQ(Verify(), DownloadResult::Failed);
  EXPECT_EQ(state_.report.firstDifferentBlock, static_cast<int>(sim::STUCK_PROM_BLOCK));
}

// A stop asked for during the check after a download is taken between its exchanges, at
// the DONE poll or in the read-back: the PROM leaves programming mode, the lines are
// released, and no verdict is shown.
TEST_F(PromCheck, AStopDuringTheCheckLeavesProgrammingModeAndShowsNoVerdict) {
  const uint32_t blocks = 40;  // more than one exchange holds
  for (bool inReadBack : {false, true}) {
    SCOPED_TRACE(inReadBack ? "in the read-back" : "at the DONE poll");
    Connect(BoardKind::PromJtagMode);
    SelectRawFile(blocks * prom().blockBytes() - 1);
    std::atomic<bool> stop{false};
    state_.stopRequested = &stop;
    sim::Board* board = board_.get();
    board->SetWriteHook([&](uint32_t) {
      bool checking = board->prom()->finishes() > 0 && board->bitMode() == BITMODE_SYNC_BITBANG;
      if (checking && (!inReadBack || board->prom()->reads() > 0)) stop = true;
    });
    EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Interrupted);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_FALSE(prom().iscMode());
    EXPECT_EQ(board_->lines(), PIN_DIRECTION_MASK);  // released: every output high
    if (inReadBack) {
      EXPECT_GT(prom().reads(), 0u);
      EXPECT_LT(prom().reads(), blocks);
    } else {
      EXPECT_EQ(prom().reads(), 0u);
    }
    host_ = testing::RecordingHost{};
  }
}

TEST_F(PromCheck, AFaultDuringTheCheckEndsFailedWithoutHanging) {
  struct Case {
    const char* name;
    bool unplug;
    uint32_t afterReads;  // blocks read back before the fault
  };
  for (const Case& c : {Case{"unplug at the DONE poll", true, 0},
                        Case{"failed write at the DONE poll", false, 0},
                        Case{"unplug mid read-back", true, 3},
                        Case{"failed write mid read-back", false, 3}}) {
    Connect(BoardKind::PromJtagMode);
    sim::Board* board = board_.get();
    bool struck = false;
    board->SetWriteHook([board, &c, &struck](uint32_t call) {
      bool checking = board->prom()->finishes() > 0 && board->bitMode() == BITMODE_SYNC_BITBANG;
      if (struck || !checking || board->prom()->reads() < c.afterReads) return;
      struck = true;
      if (c.unplug) {
        board->faults().unplugAfterWrites = call - 1;
      } else {
        board->faults().failWriteFrom = call;
      }
    });
    SelectRawFile(3000);
    EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Failed) << c.name;
    EXPECT_TRUE(struck) << c.name;
    EXPECT_EQ(Verdict(), "DOWNLOAD FAILED !") << c.name;
    EXPECT_EQ(state_.report.prom, PromCause::WriteFailed) << c.name;
    board->SetWriteHook(nullptr);
  }
}

}  // namespace
}  // namespace torvane
