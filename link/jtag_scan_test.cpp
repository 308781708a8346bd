// The scan engine on the simulated boards: instructions reach the device addressed and no
// other, data scans read and load its registers through the others' BYPASS bits. And the
// wire the added procedures write today, scan for scan, so that moving them onto the
// engine changes no byte.
#include "link/jtag_scan.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "procedures/chain_scan.h"
#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "procedures/fpga_status.h"
#include "procedures/identify.h"
#include "procedures/prom_check.h"
#include "procedures/prom_readback.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/download_fixture.h"

namespace torvane {
namespace {

using sim::BoardKind;
using sim::Fpga;
using sim::Prom;

constexpr ScanChain FPGA_ALONE{{6}, 1, 0};
constexpr ScanChain FPGA_BEFORE_PROM{{6, 8}, 2, 0};  // TDI, FPGA, PROM, TDO
constexpr ScanChain PROM_AFTER_FPGA{{6, 8}, 2, 1};
constexpr ScanChain UNKNOWN_CHAIN{{}, 0, 0};

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

std::vector<uint8_t> Expanded(const std::vector<PinVector>& vectors) {
  std::vector<uint8_t> bytes(2 * vectors.size());
  ExpandInto(vectors.data(), vectors.size(), bytes.data());
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
    return ExchangeScan(state_.link, vectors, samples, READ_BOUND_MS);
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

TEST_F(ScanEngine, BuildsTheInstructionScansOfTheClearAndTheDoneChecks) {
  for (FpgaChain chain : {FpgaChain::Alone, FpgaChain::BehindProm}) {
    for (bool fromReset : {true, false}) {
      for (uint8_t instruction : {FPGA_JPROGRAM, FPGA_BYPASS}) {
        for (PinVector held : {PinVector{0}, PinVector{0x01}}) {
          PinVector today[MAX_IR_SCAN];
          size_t n = BuildIrScan(chain, instruction, held, fromReset, today);
          std::vector<PinVector> engine;
          AppendIrScan(&engine, fromReset ? TapStart::Unknown : TapStart::RunTestIdle,
                       chain == FpgaChain::Alone ? FPGA_ALONE : FPGA_BEFORE_PROM, instruction,
                       held);
          EXPECT_EQ(engine, std::vector<PinVector>(today, today + n))
              << int(chain) << fromReset << int(instruction) << int(held);
        }
      }
    }
  }
  for (uint8_t instruction : {PROM_ISC_ENABLE, PROM_ISC_DISABLE, PROM_CONFIG, PROM_ISC_READ}) {
    PinVector today[CHAIN_SCAN_VECTORS];
    ChainInstructionScan(instruction, today);
    std::vector<PinVector> engine;
    AppendIrScan(&engine, TapStart::RunTestIdle, PROM_AFTER_FPGA, instruction);
    EXPECT_EQ(engine, std::vector<PinVector>(today, today + CHAIN_SCAN_VECTORS));
  }
}

TEST_F(ScanEngine, BuildsAndReadsTheChainScan) {
  Open(BoardKind::Prom200);
  ChainListing listing = ReadChain(state_.link);
  ASSERT_EQ(listing.result, ChainRead::Read);
  std::vector<uint8_t> written, read;
  Wire(&written, &read);
  std::vector<PinVector> engine;
  const size_t bits = 32 * (MAX_CHAIN_DEVICES + 1);
  ScanPlace place =
      AppendDrScan(&engine, TapStart::Unknown, UNKNOWN_CHAIN, bits, ~0ull, true, DrScan::Capture);
  EXPECT_EQ(written, Expanded(engine));
  ASSERT_TRUE(ScanComplete(place, read.size()));
  bool out[32 * (MAX_CHAIN_DEVICES + 1)];
  for (size_t i = 0; i < bits; ++i) out[i] = RegisterBit(place, read.data(), i);
  ChainListing decoded = DecodeChain(out, bits);
  EXPECT_EQ(decoded.count, 2u);
  EXPECT_EQ(std::vector<uint32_t>(decoded.idcodes, decoded.idcodes + decoded.count),
            std::vector<uint32_t>(listing.idcodes, listing.idcodes + listing.count));
}

// A whole read of the PROM: reset, ISC_ENABLE, per block the address, ISC_READ, the read's
// idle clocks and the data shifted out, then ISC_DISABLE. The same bytes, and the engine
// takes the same image out of the samples, bit for bit.
TEST_F(ScanEngine, BuildsAndReadsTheReadBack) {
  Open(BoardKind::PromStuck);  // its stuck block holds bytes that all differ
  board_->prom()->Fill(0x1E);
  std::vector<uint8_t> image;
  ASSERT_TRUE(ReadProm(state_, host_, &image));
  std::vector<uint8_t> written, read;
  Wire(&written, &read);

  std::vector<PinVector> engine;
  AppendResetToIdle(&engine);
  AppendIrScan(&engine, TapStart::RunTestIdle, PROM_AFTER_FPGA, PROM_ISC_ENABLE);
  std::vector<ScanPlace> blocks;
  for (uint32_t block = 0; block < Prom::BLOCK_COUNT; ++block) {
    AppendIrScan(&engine, TapStart::RunTestIdle, PROM_AFTER_FPGA, PROM_ISC_ADDRESS_SHIFT);
    AppendDrScan(&engine, TapStart::RunTestIdle, PROM_AFTER_FPGA, 16,
                 block * BLOCK_ADDRESS_STEP, false, DrScan::Load);
    AppendIrScan(&engine, TapStart::RunTestIdle, PROM_AFTER_FPGA, PROM_ISC_READ);
    AppendIdle(&engine, 20);
    blocks.push_back(AppendDrScan(&engine, TapStart::RunTestIdle, PROM_AFTER_FPGA,
                                  8 * Prom::BLOCK_BYTES, 0, false, DrScan::Capture));
  }
  AppendIrScan(&engine, TapStart::RunTestIdle, PROM_AFTER_FPGA, PROM_ISC_DISABLE);
  EXPECT_TRUE(written == Expanded(engine)) << "the read-back's bytes differ";

  ASSERT_TRUE(ScanComplete(blocks.back(), read.size()));
  std::vector<uint8_t> decoded(image.size(), 0);
  for (size_t block = 0; block < blocks.size(); ++block) {
    for (size_t bit = 0; bit < 8 * Prom::BLOCK_BYTES; ++bit) {
      if (RegisterBit(blocks[block], read.data(), bit)) {
        decoded[block * Prom::BLOCK_BYTES + bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
      }
    }
  }
  EXPECT_TRUE(decoded == image) << "the engine reads another image";
  EXPECT_TRUE(image == board_->prom()->memory());
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
       [&] { EXPECT_TRUE(ReadProm(state_, host_, &image)); }, 0x0D39CFB343189735ull},
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
