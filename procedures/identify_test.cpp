#include "procedures/identify.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "link/recorder.h"
#include "sim/board.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/recording_host.h"

namespace torvane {
namespace {

using sim::BoardKind;
using testing::RecordingHost;

TEST(DecodeIdcode, ReadsOddSamplesEqualToTdoAlone) {
  uint8_t samples[SAMPLE_BUFFER_SIZE] = {};
  EXPECT_EQ(DecodeIdcode(samples), 0u);

  for (int k = 0; k < 32; ++k) samples[2 * k + 1] = 0x20;
  EXPECT_EQ(DecodeIdcode(samples), 0xFFFFFFFFu);

  // TDO high with another line high is not a 1; even samples never count.
  std::memset(samples, 0x20, sizeof samples);
  samples[1] = 0x21;
  samples[3] = 0xA0;
  EXPECT_EQ(DecodeIdcode(samples), 0xFFFFFFFCu);

  // Samples that never arrived stay clear: the high-order bits read 0.
  std::memset(samples, 0, sizeof samples);
  for (int k = 0; k < 16; ++k) samples[2 * k + 1] = 0x20;
  EXPECT_EQ(DecodeIdcode(samples), 0x0000FFFFu);
}

TEST(ClassifyIdcode, KnownPartsOfAnyRevision) {
  struct Case {
    uint32_t code;
    DeviceMode mode;
    bool known;
    const char* text;
  } cases[] = {
      {0xF5045093, DeviceMode::Prom, true, "Download PROM"},
      {0x05045093, DeviceMode::Prom, true, "Download PROM"},
      {0x01414093, DeviceMode::Fpga, true, "Download FPGA XC3S200"},
      {0x21414093, DeviceMode::Fpga, true, "Download FPGA XC3S200"},
      {0x0141C093, DeviceMode::Fpga, true, "Download FPGA XC3S400"},
      {0xA141C093, DeviceMode::Fpga, true, "Download FPGA XC3S400"},
      {0x00000000, DeviceMode::None, false, "JTAG : not found (0)"},
      {0xFFFFFFFF, DeviceMode::None, false, "JTAG : not found (FFFFFFFF)"},
      {0x11428093, DeviceMode::Fpga, true, "Download FPGA XC3S1000"},
      {0x0140D093, DeviceMode::Fpga, true, "Download FPGA XC3S50"},
      {0x25044093, DeviceMode::Prom, true, "Download PROM"},
      {0xF5046093, DeviceMode::Prom, true, "Download PROM"},
      // Some lists give the XC3S50 this code; no part answers it.
      {0x0140C093, DeviceMode::None, false, "JTAG : not found (140C093)"},
      {0x01C10093, DeviceMode::None, false, "JTAG : not found (1C10093)"},  // an XC3S100E
  };
  for (const Case& c : cases) {
    Classification found = ClassifyIdcode(c.code);
    EXPECT_EQ(found.mode, c.mode) << std::hex << c.code;
    EXPECT_EQ(found.part != nullptr, c.known) << std::hex << c.code;
    EXPECT_STREQ(found.text, c.text);
  }
}

struct BoardCase {
  BoardKind kind;
  const char* usb;
  const char* device;
  DeviceMode mode;
};

// The test log names a board, not its bytes.
void PrintTo(const BoardCase& board, std::ostream* out) { *out << sim::BoardName(board.kind); }

class IdentifyOnBoard : public ::testing::TestWithParam<BoardCase> {};

TEST_P(IdentifyOnBoard, ShowsTheChainAndSetsTheMode) {
  const BoardCase& c = GetParam();
  auto board = sim::MakeBoard(c.kind);
  AppState state;
  state.link.adapter = board.get();
  RecordingHost host;

  IdentifyResult result = IdentifyChain(state, host);

  EXPECT_EQ(host.usbLine(), c.usb);
  EXPECT_EQ(host.deviceLine(), c.device);
  EXPECT_EQ(state.deviceMode, c.mode);
  EXPECT_EQ(result.mode, c.mode);
  EXPECT_TRUE(host.messages.empty());
  // Every device of the chain was put into its IDCODE instruction.
  for (const auto& device : board->chain()) {
    uint32_t idcodeInstruction = device->irLength() == 6 ? sim::Fpga::INSTR_IDCODE
                                                         : sim::Prom::INSTR_IDCODE;
    ASSERT_FALSE(device->instructionLog().empty()) << device->name();
    EXPECT_EQ(device->instructionLog().back(), idcodeInstruction) << device->name();
    EXPECT_EQ(device->state(), sim::TapState::ShiftDr) << device->name();
  }
  if (c.kind != BoardKind::None) {
    EXPECT_EQ(board->bitMode(), BITMODE_SYNC_BITBANG);
    EXPECT_EQ(board->directionMask(), 0xDF);
    EXPECT_EQ(board->lines(), 0x40);  // TCK high, every other output low
    EXPECT_EQ(board->writeSizes(), (std::vector<uint32_t>{1, 62, 64}));
  }
  EXPECT_EQ(board->waitedMilliseconds(), 200u);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, IdentifyOnBoard,
    ::testing::Values(
        BoardCase{BoardKind::Prom200, "USB : Connected", "Download PROM", DeviceMode::Prom},
        BoardCase{BoardKind::Prom400, "USB : Connected", "Download PROM", DeviceMode::Prom},
        BoardCase{BoardKind::Xc3s200, "USB : Connected", "Download FPGA XC3S200", DeviceMode::Fpga},
        BoardCase{BoardKind::Xc3s400, "USB : Connected", "Download FPGA XC3S400", DeviceMode::Fpga},
        BoardCase{BoardKind::Xc3s1000, "USB : Connected", "Download FPGA XC3S1000",
                  DeviceMode::Fpga},
        BoardCase{BoardKind::Prom1000, "USB : Connected", "Download PROM", DeviceMode::Prom},
        BoardCase{BoardKind::PromXcf01s, "USB : Connected", "Download PROM", DeviceMode::Prom},
        BoardCase{BoardKind::None, "USB : Not Connected", "JTAG : not found (0)", DeviceMode::None},
        BoardCase{BoardKind::DeadHigh, "USB : Connected", "JTAG : not found (FFFFFFFF)",
                  DeviceMode::None},
        BoardCase{BoardKind::DeadLow, "USB : Connected", "JTAG : not found (0)",
                  DeviceMode::None}),
    [](const ::testing::TestParamInfo<BoardCase>& info) {
      std::string name = sim::BoardName(info.param.kind);
      std::replace(name.begin(), name.end(), '-', '_');
      return name;
    });

TEST(Identify, OtherSiliconRevisionsAreStillRecognised) {
  auto board = sim::MakeBoard(BoardKind::Prom400);
  board->prom()->SetVersion(0x0);
  board->fpga()->SetVersion(0x3);
  AppState state;
  state.link.adapter = board.get();
  RecordingHost host;
  IdentifyResult result = IdentifyChain(state, host);
  EXPECT_EQ(result.idcode, 0x05045093u);
  EXPECT_EQ(host.deviceLine(), "Download PROM");
  EXPECT_EQ(state.deviceMode, DeviceMode::Prom);

  auto fpga = sim::MakeBoard(BoardKind::Xc3s200);
  fpga->fpga()->SetVersion(0x2);
  state.link.adapter = fpga.get();
  IdentifyChain(state, host);
  EXPECT_EQ(host.deviceLine(), "Download FPGA XC3S200");
}

TEST(Identify, ConnectClosesFirstAndIdentifiesAgain) {
  auto board = sim::MakeBoard(BoardKind::Xc3s200);
  AppState state;
  state.link.adapter = board.get();
  RecordingHost host;
  IdentifyChain(state, host);
  LinkClose(state.link);
  IdentifyResult again = IdentifyChain(state, host);
  EXPECT_EQ(again.openStatus, ADAPTER_OK);
  EXPECT_EQ(host.deviceLine(), "Download FPGA XC3S200");
  EXPECT_EQ(board->openCount(), 2u);

  // Without the close the driver refuses a second handle, and nothing is read.
  IdentifyResult third = IdentifyChain(state, host);
  EXPECT_NE(third.openStatus, ADAPTER_OK);
  EXPECT_EQ(host.usbLine(), "USB : Not Connected");
  EXPECT_EQ(host.deviceLine(), "JTAG : not found (0)");
}

// The trace is how a user sees what went to the cable: every call of one identification,
// in order, with the three writes of 1, 62 and 64 bytes.
TEST(Identify, TraceOfOneIdentification) {
  auto board = sim::MakeBoard(BoardKind::Xc3s400);
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    Recorder recorder(*board, file);
    AppState state;
    state.link.adapter = &recorder;
    RecordingHost host;
    IdentifyChain(state, host);
  }
  std::rewind(file);
  std::vector<std::string> lines;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, file)) {
    std::string line(buffer);
    line.pop_back();
    // A write or read line shows its kind and length; the bytes are the board's business.
    size_t space = line.find(' ');
    if (line.rfind("write ", 0) == 0) {
      line = "write " + std::to_string((line.size() - space - 1) / 2);
    } else if (line.rfind("read ", 0) == 0) {
      size_t second = line.find(' ', space + 1);
      line = line.substr(0, second) + " " + std::to_string((line.size() - second - 1) / 2);
    }
    lines.push_back(line);
  }
  std::fclose(file);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "open ok", "usbparams 16384 0", "bitmode 0xDF 4", "purge 1", "write 1",
                       "sleep 50", "purge 1", "write 62", "sleep 50", "purge 1", "write 64",
                       "sleep 50", "status 64", "read 64 64", "sleep 50", "purge 1"}));
}

}  // namespace
}  // namespace torvane
