// The scan engine on the simulated boards: instructions reach the device addressed and no
// other, data scans read and load its registers through the others' BYPASS bits. And the
// bytes the procedures built on it write, as they were before they moved onto it.
#include "link/jtag_scan.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "procedures/chain_scan.h"
#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "procedures/fpga_status.h"
#include "procedures/prom_check.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/download_fixture.h"

namespace torvane {
namespace {

using sim::BoardKind;
using sim::Fpga;
using sim::Prom;

constexpr ScanChain FPGA_BEFORE_PROM{{6, 8}, 2, 0};  // TDI, FPGA, PROM, TDO
constexpr ScanChain PROM_AFTER_FPGA{{6, 8}, 2, 1};

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

class ScanEngine : public testing::DownloadTest {
 protected:
  void Open(BoardKind kind) {
    Connect(kind, /*traced=*/true);
    fromLine_ = TraceLines().size();
  }
  // The bytes written and the samples read since Open, each run joined up.
  void Wire(std::vector<uint8_t>* written, std::vector<uint8_t>* read) {
    std::vector<std::string> lines = TraceLines();
    for (size_t i = fromLine_; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (line.rfind("write ", 0) == 0) {
        std::vector<uint8_t> bytes = Hex(line.substr(6));
        written->insert(written->end(), bytes.begin(), bytes.end());
      } else if (line.rfind("read ", 0) == 0 && line.find(' ', 5) != std::string::npos) {
        std::vector<uint8_t> bytes = Hex(line.substr(line.find(' ', 5) + 1));
        read->insert(read->end(), bytes.begin(), bytes.end());
      }
    }
  }
  int Run(const std::vector<PinVector>& vectors, std::vector<uint8_t>* samples) {
    return ExchangeScan(state_.link, vectors, samples);
  }

  size_t fromLine_ = 0;
};

TEST_F(ScanEngine, InstructionsReachTheDeviceAddressedAndDataScansReadThroughBypass) {
  Open(BoardKind::Prom200);
  ASSERT_EQ(LinkSetBitMode(state_.link, BITMODE_SYNC_BITBANG), ADAPTER_OK);
  std::vector<PinVector> scan;
  AppendIrScan(&scan, TapStart::Unknown, PROM_AFTER_FPGA, Prom::INSTR_IDCODE);
  ScanPlace prom = AppendDrScan(&scan, TapStart::RunTestIdle, PROM_AFTER_FPGA, 32, 0, false,
                                DrScan::Capture);
  AppendIrScan(&scan, TapStart::RunTestIdle, FPGA_BEFORE_PROM, Fpga::INSTR_IDCODE);
  ScanPlace fpga = AppendDrScan(&scan, TapStart::RunTestIdle, FPGA_BEFORE_PROM, 32, 0, false,
                                DrScan::Capture);
  std::vector<uint8_t> samples;
  ASSERT_EQ(Run(scan, &samples), ADAPTER_OK);
  ASSERT_TRUE(ScanComplete(fpga, samples.size()));
  EXPECT_EQ(ScanRegister(prom, samples.data(), samples.size()), IDCODE_PROM_XCF02S);
  EXPECT_EQ(ScanRegister(fpga, samples.data(), samples.size()), IDCODE_XC3S200);
  EXPECT_EQ(ScanBits(fpga, samples.data(), samples.size(), 0, 1), 0u) << "the PROM's BYPASS";
  const std::vector<uint32_t>& promSaw = board_->prom()->instructionLog();
  const std::vector<uint32_t>& fpgaSaw = board_->fpga()->instructionLog();
  EXPECT_EQ(std::vector<uint32_t>(promSaw.end() - 2, promSaw.end()),
            (std::vector<uint32_t>{Prom::INSTR_IDCODE, Prom::INSTR_BYPASS}));
  EXPECT_EQ(std::vector<uint32_t>(fpgaSaw.end() - 2, fpgaSaw.end()),
            (std::vector<uint32_t>{Fpga::INSTR_BYPASS, Fpga::INSTR_IDCODE}));
  EXPECT_EQ(board_->fpga()->state(), sim::TapState::RunTestIdle);

  // A load shifts the FPGA's BYPASS bit in behind the address, so the PROM's register
  // holds every bit of it; a capture-only scan would leave it one bit off. An instruction
  // scan reads the FPGA's capture behind the PROM's: each begins 1, 0; INIT high, DONE low.
  scan.clear();
  AppendIrScan(&scan, TapStart::RunTestIdle, PROM_AFTER_FPGA, Prom::INSTR_ISC_ENABLE);
  AppendIrScan(&scan, TapStart::RunTestIdle, PROM_AFTER_FPGA, Prom::INSTR_ISC_ADDRESS_SHIFT);
  AppendDrScan(&scan, TapStart::RunTestIdle, PROM_AFTER_FPGA, 16, 0x1E40, false, DrScan::Load);
  ScanPlace status = AppendIrScan(&scan, TapStart::RunTestIdle, FPGA_BEFORE_PROM, FPGA_BYPASS);
  ASSERT_EQ(Run(scan, &samples), ADAPTER_OK);
  EXPECT_EQ(board_->prom()->address(), 0x1E40);
  EXPECT_EQ(status.padBits, 8u);
  EXPECT_EQ(ScanBits(status, samples.data(), samples.size(), 0, 2), 1u);
  EXPECT_EQ(ScanRegister(status, samples.data(), samples.size()) & 0x33, 0x11u);
}

// The bytes each added procedure writes after identification, run by run, as recorded
// before the procedures moved onto the engine and their exchanges: how they are cut into
// writes may change, what reaches the chain may not.
TEST_F(ScanEngine, TheAddedProceduresWriteTheBytesTheyAlwaysHave) {
  struct Run {
    const char* name;
    BoardKind kind;
    std::function<void()> run;
    uint64_t digest;
  };
  std::vector<uint8_t> image;
  const Run runs[] = {
      {"clear, load and DONE check", BoardKind::Xc3s200,
       [&] {
         BitstreamOptions design;
         design.dataSize = 2048;
         SelectFile(design);
         EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
       },
       0x56F41046CBC7537Full},
      {"chain scan", BoardKind::Prom200,
       [&] { EXPECT_EQ(ReadChain(state_.link).result, ChainRead::Read); }, 0x22A3DA636FEDB47Dull},
      {"check after a download, DONE high", BoardKind::Prom200,
       [&] {
         SelectFile(BitstreamOptions{});
         EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Complete);
         EXPECT_TRUE(state_.report.doneRose);
       },
       0x4668F8E7959F8265ull},
      {"check after a download, read back", BoardKind::PromJtagMode,
       [&] {
         SelectRawFile(700);
         EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Complete);
       },
       0x326B119E7B8E8595ull},
      {"read", BoardKind::PromStuck,
       [&] { EXPECT_EQ(ReadProm(state_, host_, &image), DownloadResult::Complete); },
       0x0D39CFB343189735ull},
  };
  for (const Run& run : runs) {
    Open(run.kind);
    run.run();
    std::vector<uint8_t> written, read;
    Wire(&written, &read);
    uint64_t digest = 0xCBF29CE484222325ull;  // FNV-1a
    for (uint8_t byte : written) digest = (digest ^ byte) * 0x100000001B3ull;
    EXPECT_EQ(digest, run.digest) << run.name << std::hex << " 0x" << digest;
  }
}

}  // namespace
}  // namespace torvane
