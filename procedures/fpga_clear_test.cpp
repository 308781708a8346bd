// The FPGA cleared before each load, and a verdict only the device can give: re-downloads
// into a configured FPGA that fail in each way end FAILED with their cause and never make
// EXTEST current; a clear that does not take sends nothing of the download; a slow
// latency timer in the driver does not turn a good load into a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "link/vectors.h"
#include "procedures/download_fpga.h"
#include "procedures/fpga_status.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/download_fixture.h"

namespace torvane {
namespace {

using sim::BoardKind;

constexpr uint32_t EXTEST = 0x00;

std::string HexLine(const char* kind, const uint8_t* bytes, size_t count) {
  std::string line = kind;
  char pair[3];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    line += pair;
  }
  return line;
}

std::string ExpandedWrite(const PinVector* vectors, size_t count) {
  std::vector<uint8_t> bytes(2 * count);
  ExpandInto(vectors, count, bytes.data());
  return HexLine("write ", bytes.data(), bytes.size());
}

class FpgaClear : public testing::DownloadTest {
 protected:
  void SelectDesign(uint32_t seed, BitPart part = BitPart::Xc3s200) {
    BitstreamOptions options;
    options.seed = seed;
    options.part = part;
    SelectFile(options);
  }
  // A data section of `size` bytes, every one 0xFF.
  void SelectAllOnes(size_t size) {
    SelectRawFile(size);
    std::vector<uint8_t> file = data_;
    std::fill(file.end() - static_cast<std::ptrdiff_t>(size), file.end(), 0xFF);
    std::FILE* out = std::fopen(state_.path, "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(std::fwrite(file.data(), 1, file.size(), out), file.size());
    std::fclose(out);
  }
  // Writes number `first` to `last` made in asynchronous mode (the download's own) fail.
  void FailLoadWrites(uint32_t first, uint32_t last) {
    board_->SetWriteHook([this, first, last, n = 0u](uint32_t call) mutable {
      if (board_->bitMode() != BITMODE_ASYNC_BITBANG) return;
      ++n;
      board_->faults().failWriteFrom = n >= first && n <= last ? call : 0;
    });
  }
  void ExpectNoExtest() {
    for (const auto& device : board_->chain()) {
      for (uint32_t instruction : device->instructionLog()) {
        ASSERT_NE(instruction, EXTEST) << device->name();
      }
    }
  }
  std::string Verdict() const { return host_.messages.back().text; }
};

TEST_F(FpgaClear, EveryFailedReloadOfAConfiguredFpgaSaysFailedThenAGoodOneReplacesIt) {
  Connect(BoardKind::Xc3s200);
  SelectDesign(1);
  ASSERT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
  EXPECT_EQ(state_.report.fpga, FpgaCheck::Configured);

  struct Case {
    const char* name;
    std::function<void()> prepare;
    FpgaCheck cause;
  };
  const Case cases[] = {
      {"every data write fails", [&] { SelectDesign(2); FailLoadWrites(2, ~0u); },
       FpgaCheck::WriteFailed},
      {"the preamble write fails", [&] { SelectDesign(2); FailLoadWrites(1, 1); },
       FpgaCheck::WriteFailed},
      {"an empty data section", [&] { SelectRawFile(0); }, FpgaCheck::DoneLow},
      {"an all-0xFF data section", [&] { SelectAllOnes(4096); }, FpgaCheck::DoneLow},
      {"a design for the other part", [&] { SelectDesign(2, BitPart::Xc3s400); },
       FpgaCheck::InitLowAfterLoad},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    board_->faults() = sim::FaultPlan{};
    board_->SetWriteHook(nullptr);
    c.prepare();
    EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Failed);
    EXPECT_EQ(Verdict(), "DOWNLOAD FAILED !");
    EXPECT_EQ(state_.report.fpga, c.cause);
    EXPECT_FALSE(board_->fpga()->done());  // the clear took the old design away
    ExpectNoExtest();
  }

  board_->faults() = sim::FaultPlan{};
  board_->SetWriteHook(nullptr);
  SelectDesign(3);
  size_t size = PartDataSize(BitPart::Xc3s200);
  uint64_t bitsBefore = board_->fpga()->configBitCount();
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
  EXPECT_EQ(Verdict(), "DOWNLOAD COMPLETE !");
  EXPECT_EQ(state_.report.fpga, FpgaCheck::Configured);
  const sim::Fpga& fpga = *board_->fpga();
  EXPECT_TRUE(fpga.done());
  EXPECT_EQ(fpga.startups(), 2u);
  // The bits into the configuration port are the new file's data, then JSTART's 0.
  ASSERT_EQ(fpga.configBitCount(), bitsBefore + 8 * size + 1);
  std::vector<uint8_t> loaded(size);
  for (size_t i = 0; i < 8 * size; ++i) {
    uint64_t bit = bitsBefore + i;
    if (fpga.configBits()[bit / 8] & (0x80 >> (bit % 8))) loaded[i / 8] |= 0x80 >> (i % 8);
  }
  EXPECT_EQ(loaded, DataSection(size));
  ExpectNoExtest();
}

TEST_F(FpgaClear, AnFpgaThatDoesNotClearGetsNothingOfTheDownload) {
  struct Case {
    const char* name;
    bool sim::Fpga::Defects::*defect;
    FpgaCheck cause;
  };
  for (const Case& c : {Case{"INIT held low", &sim::Fpga::Defects::initHeldLow,
                             FpgaCheck::InitNeverHigh},
                        Case{"JPROGRAM ignored", &sim::Fpga::Defects::jprogramIgnored,
                             FpgaCheck::DoneStayedHigh}}) {
    SCOPED_TRACE(c.name);
    Connect(BoardKind::Xc3s200, /*traced=*/true);
    SelectDesign(1);
    ASSERT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
    uint64_t bitsBefore = board_->fpga()->configBitCount();
    size_t linesBefore = TraceLines().size();
    board_->fpga()->defects().*c.defect = true;

    EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Failed);
    EXPECT_EQ(Verdict(), "DOWNLOAD FAILED !");
    EXPECT_EQ(state_.report.fpga, c.cause);
    EXPECT_EQ(board_->fpga()->configBitCount(), bitsBefore);
    std::vector<std::string> trace = TraceLines();
    for (size_t i = linesBefore; i < trace.size(); ++i) {
      EXPECT_NE(trace[i].rfind("baud", 0), 0u) << "the download began";
    }
    EXPECT_EQ(trace.back(), "write FF");  // the lines released, as after any failure
    ExpectNoExtest();
  }
}

// Behind the PROM the FPGA's instruction follows the PROM's BYPASS in a 14-bit scan.
TEST_F(FpgaClear, ClearsOnBothChainShapes) {
  for (auto [kind, chain] : {std::pair{BoardKind::Xc3s400, FpgaChain::Alone},
                             std::pair{BoardKind::Prom400, FpgaChain::BehindProm}}) {
    SCOPED_TRACE(sim::BoardName(kind));
    Connect(kind);
    FpgaCheck cause = FpgaCheck::NotChecked;
    EXPECT_TRUE(ClearFpga(state_.link, chain, &cause));
    // Identification's IDCODE, JPROGRAM, then BYPASS polls: INIT was low at the first, so
    // the clear waited for it.
    const auto& fpgaLog = board_->fpga()->instructionLog();
    ASSERT_GE(fpgaLog.size(), 4u);
    EXPECT_EQ(fpgaLog[0], sim::Fpga::INSTR_IDCODE);
    EXPECT_EQ(fpgaLog[1], sim::Fpga::INSTR_JPROGRAM);
    for (size_t i = 2; i < fpgaLog.size(); ++i) EXPECT_EQ(fpgaLog[i], sim::Fpga::INSTR_BYPASS);
    EXPECT_TRUE(board_->fpga()->initHigh());
    if (board_->prom()) {
      for (size_t i = 1; i < board_->prom()->instructionLog().size(); ++i) {
        EXPECT_EQ(board_->prom()->instructionLog()[i], sim::Prom::INSTR_BYPASS);
      }
    }
    board_->fpga()->defects().initHeldLow = true;
    EXPECT_FALSE(ClearFpga(state_.link, chain, &cause));
    EXPECT_EQ(cause, FpgaCheck::InitNeverHigh);
    ExpectNoExtest();
  }
}

// A driver whose latency timer was set to 60 ms holds the status scan's samples past a
// single 50 ms wait; the clear sets the timer to 1 ms and every read waits for its samples.
TEST_F(FpgaClear, ASlowLatencyTimerInTheDriverStillGivesAGoodLoadComplete) {
  Connect(BoardKind::Xc3s200);
  board_->SetDriverLatency(60);
  LinkClose(state_.link);
  IdentifyChain(state_, host_);
  ASSERT_EQ(state_.deviceMode, DeviceMode::Fpga);
  SelectDesign(1);
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
  EXPECT_EQ(state_.report.fpga, FpgaCheck::Configured);

  // The status scan read as one fixed wait would read it: 60 ms loses it, 1 ms does not.
  AdapterLink& link = state_.link;
  std::vector<PinVector> scan;
  ScanPlace place = AppendStatusScan(&scan, FpgaChain::Alone, 0x01);
  auto afterOneWait = [&](uint8_t latency) {
    LinkSetLatencyTimer(link, latency);
    LinkPurge(link, PURGE_RX);
    SendVectors(link, scan.data(), scan.size());
    LinkWait(link, SETTLE_MS);
    LinkGetStatus(link);
    std::vector<uint8_t> samples(2 * scan.size());
    LinkRead(link, samples.data(), std::min<uint32_t>(link.rxQueued, samples.size()));
    return DecodeStatusCapture(place, samples.data(), link.bytesRead);
  };
  EXPECT_FALSE(afterOneWait(60).believable);
  EXPECT_TRUE(afterOneWait(LOW_LATENCY_MS).done);
}

// From the baud rate on, the download is what it always was: the same calls, the same
// bytes, the same write boundaries, built here from its tables and its 512-byte chunks.
TEST_F(FpgaClear, TheDownloadAfterTheClearIsByteForByteAsBefore) {
  Connect(BoardKind::Xc3s200, /*traced=*/true);
  const size_t size = 1100;
  SelectRawFile(size);
  DownloadFpga(state_, host_);

  std::vector<std::string> expected = {"baud 921600", "bitmode 0xDF 1",
                                       ExpandedWrite(FPGA_PREAMBLE.vectors, FPGA_PREAMBLE.count)};
  std::vector<uint8_t> data = DataSection(size);
  for (size_t at = 0; at < size; at += CHUNK_BYTES) {
    size_t n = std::min(CHUNK_BYTES, size - at);
    std::vector<PinVector> vectors(8 * n);
    for (size_t i = 0; i < n; ++i) ByteToVectors(data[at + i], &vectors[8 * i]);
    expected.push_back(ExpandedWrite(vectors.data(), vectors.size()));
  }
  expected.push_back(ExpandedWrite(FPGA_STARTUP.vectors, FPGA_STARTUP.count));

  std::vector<std::string> trace = TraceLines();
  auto baud = std::find(trace.begin(), trace.end(), "baud 921600");
  ASSERT_NE(baud, trace.end());
  ASSERT_GE(static_cast<size_t>(trace.end() - baud), expected.size() + 1);
  EXPECT_EQ(std::vector<std::string>(baud, baud + static_cast<std::ptrdiff_t>(expected.size())),
            expected);
  EXPECT_EQ(*(baud + static_cast<std::ptrdiff_t>(expected.size())), "sleep 50");  // the verdict
}

}  // namespace
}  // namespace torvane
