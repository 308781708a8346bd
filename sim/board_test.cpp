#include "sim/board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "link/adapter_link.h"
#include "link/vectors.h"
#include "sim/fpga.h"
#include "sim/prom.h"

namespace torvane::sim {
namespace {

class BoardTest : public ::testing::Test {
 protected:
  void OpenBoard(BoardKind kind, uint8_t mode) {
    board_ = MakeBoard(kind);
    ASSERT_EQ(board_->Open(ADAPTER_DESCRIPTION, &handle_), ADAPTER_OK);
    ASSERT_EQ(board_->SetBitMode(handle_, PIN_DIRECTION_MASK, mode), ADAPTER_OK);
  }
  void Send(const std::vector<uint8_t>& bytes) {
    uint32_t written = 0;
    ASSERT_EQ(board_->Write(handle_, bytes.data(), static_cast<uint32_t>(bytes.size()), &written),
              ADAPTER_OK);
    ASSERT_EQ(written, bytes.size());
  }
  // What the host holds once the chip's latency timer has sent its partial packet.
  std::vector<uint8_t> Drain() {
    board_->Wait(board_->latencyTimer());
    return Received();
  }
  std::vector<uint8_t> Received() {
    uint32_t rx = 0, tx = 0, ev = 0;
    EXPECT_EQ(board_->GetStatus(handle_, &rx, &tx, &ev), ADAPTER_OK);
    std::vector<uint8_t> samples(rx);
    uint32_t read = 0;
    EXPECT_EQ(board_->Read(handle_, samples.data(), rx, &read), ADAPTER_OK);
    samples.resize(read);
    return samples;
  }
  // Clocks vectors through the chip as the link would.
  void Clock(const std::vector<PinVector>& vectors) {
    std::vector<uint8_t> bytes(2 * vectors.size());
    ExpandInto(vectors.data(), vectors.size(), bytes.data());
    Send(bytes);
  }

  std::unique_ptr<Board> board_;
  AdapterHandle handle_ = nullptr;
};

TEST_F(BoardTest, OpensOnlyByTheAdapterDescription) {
  Board board(BoardKind::Xc3s200);
  AdapterHandle handle = nullptr;
  EXPECT_EQ(board.Open("FT232R USB", &handle), ADAPTER_DEVICE_NOT_FOUND);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(board.Open(ADAPTER_DESCRIPTION, &handle), ADAPTER_OK);
  EXPECT_NE(handle, nullptr);

  Board none(BoardKind::None);
  EXPECT_EQ(none.Open(ADAPTER_DESCRIPTION, &handle), ADAPTER_DEVICE_NOT_FOUND);
}

TEST_F(BoardTest, EveryCallOnAnInvalidHandleFails) {
  Board board(BoardKind::Xc3s200);
  uint8_t byte = 0;
  uint32_t n = 7, tx = 7, ev = 7;
  EXPECT_EQ(board.SetUsbParameters(nullptr, 16384, 0), ADAPTER_INVALID_HANDLE);
  EXPECT_EQ(board.SetBitMode(nullptr, 0xDF, 4), ADAPTER_INVALID_HANDLE);
  EXPECT_EQ(board.SetBaudRate(nullptr, 921600), ADAPTER_INVALID_HANDLE);
  EXPECT_EQ(board.Purge(nullptr, PURGE_RX), ADAPTER_INVALID_HANDLE);
  EXPECT_EQ(board.SetLatencyTimer(nullptr, 1), ADAPTER_INVALID_HANDLE);
  EXPECT_EQ(board.Write(nullptr, &byte, 1, &n), ADAPTER_INVALID_HANDLE);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(board.GetStatus(nullptr, &n, &tx, &ev), ADAPTER_INVALID_HANDLE);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(board.Read(nullptr, &byte, 1, &n), ADAPTER_INVALID_HANDLE);
  EXPECT_EQ(board.Close(nullptr), ADAPTER_INVALID_HANDLE);
  EXPECT_EQ(board.bytesWritten(), 0u);
}

TEST_F(BoardTest, SynchronousModeSamplesTheLinesBeforeEachByte) {
  OpenBoard(BoardKind::Xc3s200, BITMODE_SYNC_BITBANG);
  // TDO floats high outside the shift states; D5 is an input and never reads back as driven.
  Send({0x0E, 0x8A, 0x20});
  EXPECT_EQ(Drain(), (std::vector<uint8_t>{0x20, 0x2E, 0xAA}));
  EXPECT_EQ(board_->lines(), 0x00);
}

TEST_F(BoardTest, AsynchronousModeReadsTheLinesBackAfterEachByte) {
  OpenBoard(BoardKind::Xc3s200, BITMODE_ASYNC_BITBANG);
  Send({0x0E, 0x01});
  EXPECT_EQ(Drain(), (std::vector<uint8_t>{0x2E, 0x21}));
}

TEST_F(BoardTest, PurgeDropsQueuedSamplesAndLinesPersistAcrossModes) {
  OpenBoard(BoardKind::Xc3s200, BITMODE_SYNC_BITBANG);
  Send({0x0E, 0x0E});
  ASSERT_EQ(board_->Purge(handle_, PURGE_RX), ADAPTER_OK);
  EXPECT_TRUE(Drain().empty());
  ASSERT_EQ(board_->SetBitMode(handle_, PIN_DIRECTION_MASK, BITMODE_ASYNC_BITBANG), ADAPTER_OK);
  EXPECT_EQ(board_->lines(), 0x0E);
}

// Full USB packets reach the host at once; a partial one waits for the latency timer, so a
// driver set to 60 ms defeats a single 50 ms wait until the host sets the timer low.
TEST_F(BoardTest, PartialPacketsWaitForTheLatencyTimer) {
  OpenBoard(BoardKind::Xc3s200, BITMODE_SYNC_BITBANG);
  Send(std::vector<uint8_t>(64, 0x0E));
  EXPECT_EQ(Received().size(), 62u);
  board_->Wait(Board::DEFAULT_LATENCY_MS);
  EXPECT_EQ(Received().size(), 2u);
  EXPECT_EQ(board_->maxUnreadSamples(), 64u);

  board_->SetDriverLatency(60);
  ASSERT_EQ(board_->Close(handle_), ADAPTER_OK);
  ASSERT_EQ(board_->Open(ADAPTER_DESCRIPTION, &handle_), ADAPTER_OK);
  EXPECT_EQ(board_->latencyTimer(), 60);
  Send(std::vector<uint8_t>(24, 0x0E));
  board_->Wait(50);
  EXPECT_TRUE(Received().empty());
  Send(std::vector<uint8_t>(24, 0x0E));
  ASSERT_EQ(board_->Purge(handle_, PURGE_RX), ADAPTER_OK);  // the held packet goes too
  board_->Wait(60);
  EXPECT_TRUE(Received().empty());

  EXPECT_EQ(board_->SetLatencyTimer(handle_, 0), ADAPTER_INVALID_PARAMETER);
  ASSERT_EQ(board_->SetLatencyTimer(handle_, 1), ADAPTER_OK);
  Send(std::vector<uint8_t>(24, 0x0E));
  board_->Wait(50);
  EXPECT_EQ(Received().size(), 24u);
}

// JPROGRAM holds INIT low while the memory clears, for board time that bytes and waits
// both pass; a part whose INIT is held low never shows it high.
TEST_F(BoardTest, JprogramHoldsInitLowWhileTheMemoryClears) {
  OpenBoard(BoardKind::Xc3s200, BITMODE_ASYNC_BITBANG);
  ASSERT_EQ(board_->SetBaudRate(handle_, 921600), ADAPTER_OK);
  // Reset, Shift-IR, JPROGRAM (0x0B) as 1 1 0 1 0 0, Update-IR, Run-Test/Idle.
  const std::vector<PinVector> jprogram = {0x08, 0x08, 0x08, 0x08, 0x08, 0x00, 0x08, 0x08,
                                           0x00, 0x00, 0x80, 0x80, 0x00, 0x80, 0x00, 0x08,
                                           0x08, 0x00};
  Clock(jprogram);
  EXPECT_EQ(board_->fpga()->instructionLog().back(), Fpga::INSTR_JPROGRAM);
  EXPECT_FALSE(board_->fpga()->initHigh());
  board_->Wait(1);
  EXPECT_FALSE(board_->fpga()->initHigh());
  Clock(std::vector<PinVector>(8000, 0x00));  // 16,000 bytes: over a millisecond more
  EXPECT_TRUE(board_->fpga()->initHigh());

  board_->fpga()->defects().initHeldLow = true;
  Clock(jprogram);
  board_->Wait(1000);
  EXPECT_FALSE(board_->fpga()->initHigh());
}

TEST_F(BoardTest, ChainShiftsInstructionsTdiFirstAndReadsTheLastDevice) {
  OpenBoard(BoardKind::Prom200, BITMODE_SYNC_BITBANG);
  // Reset, then to Shift-IR; 14 bits, first-clocked first: PROM 0xFF then FPGA 0x05.
  std::vector<PinVector> scan = {0x08, 0x08, 0x08, 0x08, 0x08, 0x00, 0x08, 0x08, 0x00, 0x00};
  for (int i = 0; i < 8; ++i) scan.push_back(PIN_TDI);
  const int fpgaBits[6] = {1, 0, 1, 0, 0, 0};
  for (int i = 0; i < 6; ++i) {
    scan.push_back(static_cast<PinVector>((fpgaBits[i] ? PIN_TDI : 0) | (i == 5 ? PIN_TMS : 0)));
  }
  scan.push_back(PIN_TMS);  // Update-IR
  scan.push_back(0x00);     // Run-Test/Idle
  Clock(scan);
  EXPECT_EQ(board_->fpga()->instruction(), Fpga::INSTR_CFG_IN);
  EXPECT_EQ(board_->prom()->instruction(), Prom::INSTR_BYPASS);
  EXPECT_EQ(board_->fpga()->state(), TapState::RunTestIdle);
}

// Bytes that move the lines but never raise TCK, and the samples the chip answers them
// with: the lines before each byte, TDO floating high from the idle TAP.
std::vector<uint8_t> LinePattern(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<uint8_t>((i * 37 + i / 251) & ~PIN_TCK & PIN_DIRECTION_MASK);
  }
  return bytes;
}
std::vector<uint8_t> SamplesOf(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> samples(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    samples[i] = static_cast<uint8_t>((i == 0 ? 0 : bytes[i - 1]) | PIN_TDO);
  }
  return samples;
}

// The chip takes 256 bytes and holds 128 samples: with nothing reading (libftdi between
// calls) a synchronous write of 385 stops it and fails once the driver gives up; the
// bytes it holds go out as soon as the host reads.
TEST_F(BoardTest, ASynchronousWriteStopsTheChipWhenNothingReadsItsSamples) {
  OpenBoard(BoardKind::Xc3s200, BITMODE_SYNC_BITBANG);
  std::vector<uint8_t> bytes = LinePattern(385);
  uint32_t written = 0;
  uint64_t before = board_->nowNanoseconds();
  EXPECT_EQ(board_->Write(handle_, bytes.data(), 385, &written), ADAPTER_IO_ERROR);
  EXPECT_EQ(written, 384u);
  EXPECT_GE(board_->nowNanoseconds() - before, Board::WRITE_TIMEOUT_MS * 1000000ull);
  std::vector<uint8_t> samples;
  for (std::vector<uint8_t> got = Drain(); !got.empty(); got = Drain()) {
    samples.insert(samples.end(), got.begin(), got.end());
  }
  bytes.pop_back();
  EXPECT_EQ(samples, SamplesOf(bytes));
}

// Streamed, either way of draining carries far more than the chip holds: libftdi's with a
// read in flight, the vendor driver's in slices that never overfill its buffer, where one
// plain write of it all stops the chip.
TEST_F(BoardTest, ExchangesStreamFarMoreThanTheChipOrTheDriverHolds) {
  const std::vector<uint8_t> bytes = LinePattern(40000);
  std::vector<uint8_t> samples(bytes.size());
  uint32_t written = 0;
  uint32_t read = 0;
  OpenBoard(BoardKind::Xc3s200, BITMODE_SYNC_BITBANG);
  ASSERT_EQ(board_->Exchange(handle_, bytes.data(), 40000, samples.data(), READ_BOUND_MS,
                             &written, &read),
            ADAPTER_OK);
  EXPECT_EQ(read, 40000u);
  EXPECT_EQ(samples, SamplesOf(bytes));

  OpenBoard(BoardKind::Xc3s200, BITMODE_SYNC_BITBANG);
  board_->SetSampleDrain(SampleDrain::Continuous);
  ASSERT_EQ(board_->SetUsbParameters(handle_, 4096, 0), ADAPTER_OK);
  std::fill(samples.begin(), samples.end(), 0);
  ASSERT_EQ(ExchangeInSlices(*board_, handle_, bytes.data(), 40000, samples.data(),
                             READ_BOUND_MS, 4096, &written, &read),
            ADAPTER_OK);
  EXPECT_EQ(samples, SamplesOf(bytes));
  EXPECT_LE(board_->maxUnreadSamples(), 4096u);
  EXPECT_EQ(board_->Write(handle_, bytes.data(), 40000, &written), ADAPTER_IO_ERROR);
}

// An exchange ends: a failed transfer mid-stream fails it as a refused write, and samples
// the chip holds past the bound (a latency timer of 255 ms) as a missing answer.
TEST_F(BoardTest, AnExchangeFailsRatherThanWaitsForEver) {
  OpenBoard(BoardKind::Xc3s200, BITMODE_SYNC_BITBANG);
  AdapterLink link;
  link.adapter = board_.get();
  link.handle = handle_;
  const std::vector<uint8_t> bytes = LinePattern(20000);
  board_->faults().failWriteFrom = 3;
  EXPECT_EQ(LinkExchange(link, bytes.data(), 20000, nullptr, READ_BOUND_MS), ADAPTER_IO_ERROR);
  EXPECT_EQ(link.bytesWritten, 2 * Board::STREAM_TRANSFER_BYTES);
  EXPECT_EQ(link.failedWrites, 1u);

  board_->faults().failWriteFrom = 0;
  ASSERT_EQ(LinkPurge(link, PURGE_RX), ADAPTER_OK);
  ASSERT_EQ(LinkSetLatencyTimer(link, 255), ADAPTER_OK);
  EXPECT_EQ(LinkExchange(link, bytes.data(), 100, nullptr, 100), ADAPTER_NO_ANSWER);
  EXPECT_EQ(link.bytesRead, 62u) << "one full packet";
  EXPECT_EQ(link.failedWrites, 1u) << "a missing answer is no refused write";
  ASSERT_EQ(LinkPurge(link, PURGE_RX), ADAPTER_OK);
  EXPECT_EQ(LinkExchange(link, bytes.data(), 100, nullptr, 300), ADAPTER_OK);
}

TEST_F(BoardTest, InjectedFaults) {
  OpenBoard(BoardKind::Xc3s200, BITMODE_SYNC_BITBANG);
  uint8_t byte = 0x0E;
  uint32_t n = 0;
  board_->faults().failWriteFrom = 2;
  EXPECT_EQ(board_->Write(handle_, &byte, 1, &n), ADAPTER_OK);
  EXPECT_EQ(board_->Write(handle_, &byte, 1, &n), ADAPTER_IO_ERROR);
  EXPECT_EQ(board_->Write(handle_, &byte, 1, &n), ADAPTER_IO_ERROR);

  board_->Replug();
  ASSERT_EQ(board_->Open(ADAPTER_DESCRIPTION, &handle_), ADAPTER_OK);
  board_->faults().unplugAfterWrites = 1;
  EXPECT_EQ(board_->Write(handle_, &byte, 1, &n), ADAPTER_OK);
  EXPECT_EQ(board_->Write(handle_, &byte, 1, &n), ADAPTER_INVALID_HANDLE);
  uint32_t rx = 0, tx = 0, ev = 0;
  EXPECT_NE(board_->GetStatus(handle_, &rx, &tx, &ev), ADAPTER_OK);
  AdapterHandle again = nullptr;
  EXPECT_NE(board_->Open(ADAPTER_DESCRIPTION, &again), ADAPTER_OK);

  board_->Replug();
  ASSERT_EQ(board_->Open(ADAPTER_DESCRIPTION, &handle_), ADAPTER_OK);
  ASSERT_EQ(board_->SetBitMode(handle_, PIN_DIRECTION_MASK, BITMODE_SYNC_BITBANG), ADAPTER_OK);
  Send({1, 2, 3, 4});
  board_->Wait(Board::DEFAULT_LATENCY_MS);
  board_->faults().shortReadLimit = 3;
  board_->faults().failStatus = true;
  EXPECT_EQ(board_->GetStatus(handle_, &rx, &tx, &ev), ADAPTER_IO_ERROR);
  uint8_t samples[4];
  EXPECT_EQ(board_->Read(handle_, samples, 4, &n), ADAPTER_OK);
  EXPECT_EQ(n, 3u);
}

}  // namespace
}  // namespace torvane::sim
