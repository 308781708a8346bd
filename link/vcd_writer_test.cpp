#include "link/vcd_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "link/jtag_scan.h"
#include "link/scripted_adapter_test.h"
#include "procedures/identify.h"
#include "sim/board.h"
#include "tests/support/recording_host.h"

namespace torvane {
namespace {

// The dump read back as one row per timestamp: the time and the four levels after it.
struct Row {
  uint64_t time;
  char tck, tms, tdi, tdo;
};

std::vector<Row> ParseDump(const std::string& text) {
  std::vector<Row> rows;
  Row now{0, '?', '?', '?', '?'};
  bool started = false;
  std::istringstream lines(text.substr(text.find("$enddefinitions")));
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '$') continue;
    if (line[0] == '#') {
      if (started) rows.push_back(now);
      now.time = std::stoull(line.substr(1));
      started = true;
      continue;
    }
    char* levels[] = {&now.tck, &now.tms, &now.tdi, &now.tdo};
    size_t signal = std::string("!\"#$").find(line[1]);
    EXPECT_LT(signal, 4u) << line;
    if (signal < 4) *levels[signal] = line[0];
  }
  if (started) rows.push_back(now);
  return rows;
}

// TDO at every rising edge of TCK, in order.
std::string TdoAtRisingEdges(const std::vector<Row>& rows) {
  std::string bits;
  for (size_t i = 1; i < rows.size(); ++i) {
    if (rows[i - 1].tck == '0' && rows[i].tck == '1') bits += rows[i].tdo;
  }
  return bits;
}

// Runs `calls` on a writer over `inner` into a real file and returns what the file holds
// once the writer is gone.
std::string Dump(Adapter& inner, const std::function<void(VcdWriter&)>& calls) {
  // One file per test: the tests run side by side as separate processes.
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string path = ::testing::TempDir() + "vcd_" + info->test_suite_name() + "_" +
                     info->name() + ".vcd";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  EXPECT_NE(file, nullptr);
  {
    VcdWriter writer(inner, file);
    calls(writer);
  }
  std::fclose(file);
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::remove(path.c_str());
  return text.str();
}

TEST(VcdWriter, IdentificationDumpShowsTheIdcodeOnTdo) {
  struct Case {
    sim::BoardKind board;
    uint32_t idcode;
  };
  for (Case c : {Case{sim::BoardKind::Prom200, IDCODE_PROM_XCF02S},
                 Case{sim::BoardKind::Xc3s200, IDCODE_XC3S200}}) {
    sim::Board board(c.board);
    std::string text = Dump(board, [](VcdWriter& writer) {
      AppState state;
      state.link.adapter = &writer;
      testing::RecordingHost host;
      IdentifyChain(state, host);
      LinkClose(state.link);
    });
    std::string tdo = TdoAtRisingEdges(ParseDump(text));
    ASSERT_GE(tdo.size(), 32u);
    // The last 32 clocks shift the code out of Shift-DR, least significant bit first.
    uint32_t code = 0;
    for (int k = 0; k < 32; ++k) {
      char bit = tdo[tdo.size() - 32 + k];
      ASSERT_TRUE(bit == '0' || bit == '1') << "bit " << k << " is " << bit;
      if (bit == '1') code |= 1u << k;
    }
    EXPECT_EQ(code, c.idcode) << sim::BoardName(c.board);
  }
}

TEST(VcdWriter, ForwardsTrafficUnchangedWithItsStatuses) {
  ScriptedAdapter inner;
  std::vector<std::vector<uint8_t>> sent = {{0x0E}, std::vector<uint8_t>(8192, 0x40), {}};
  Dump(inner, [&](VcdWriter& writer) {
    AdapterHandle handle = nullptr;
    ASSERT_EQ(writer.Open("FT232R USB UART", &handle), ADAPTER_OK);
    writer.SetBitMode(handle, 0xDF, BITMODE_SYNC_BITBANG);
    for (const auto& bytes : sent) {
      uint32_t written = 99;
      EXPECT_EQ(writer.Write(handle, bytes.data(), static_cast<uint32_t>(bytes.size()), &written),
                ADAPTER_OK);
      EXPECT_EQ(written, bytes.size());
    }
    inner.callStatus = ADAPTER_IO_ERROR;
    uint32_t written = 99;
    EXPECT_EQ(writer.Write(handle, sent[0].data(), 1, &written), ADAPTER_IO_ERROR);
    EXPECT_EQ(written, 0u);
  });
  sent.push_back({0x0E});
  EXPECT_EQ(inner.writes, sent);  // same bytes, same write boundaries
}

TEST(VcdWriter, BytesTheAdapterRefusedMoveNoPin) {
  ScriptedAdapter inner;
  inner.callStatus = ADAPTER_IO_ERROR;
  std::string text = Dump(inner, [](VcdWriter& writer) {
    AdapterHandle handle = nullptr;
    writer.Open("FT232R USB UART", &handle);
    writer.SetBitMode(handle, 0xDF, BITMODE_SYNC_BITBANG);  // refused: still no bit-bang
    const uint8_t bytes[] = {0x08, 0x48, 0x08, 0x48};
    uint32_t written = 0;
    writer.Write(handle, bytes, 4, &written);
  });
  std::vector<Row> rows = ParseDump(text);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].tck, 'x');
  EXPECT_EQ(rows[0].tms, 'x');
}

TEST(VcdWriter, TdoComesOnlyFromSamplesReadBack) {
  // Sample j is the lines before byte j: samples 1..3 carry TDO of steps 0..2.
  const uint8_t bytes[] = {0x00, 0x40, 0x00, 0x40};
  const std::vector<uint8_t> samples = {0x40, 0x20, 0x60, 0x00};
  struct Case {
    const char* name;
    bool read;
    uint8_t mode;
    const char* tdo;  // per step
  };
  for (Case c : {Case{"read back", true, BITMODE_SYNC_BITBANG, "1100"},
                 Case{"purged unread", false, BITMODE_SYNC_BITBANG, "xxxx"},
                 Case{"asynchronous", true, BITMODE_ASYNC_BITBANG, "xxxx"}}) {
    ScriptedAdapter inner;
    std::string text = Dump(inner, [&](VcdWriter& writer) {
      AdapterHandle handle = nullptr;
      writer.Open("FT232R USB UART", &handle);
      writer.SetBitMode(handle, 0xDF, c.mode);
      uint32_t count = 0;
      writer.Write(handle, bytes, 4, &count);
      inner.rx = samples;
      uint8_t buffer[4] = {};
      if (c.read) {
        writer.Read(handle, buffer, 4, &count);
      } else {
        writer.Purge(handle, PURGE_RX);
      }
    });
    std::vector<Row> rows = ParseDump(text);
    ASSERT_EQ(rows.size(), 5u) << c.name;  // four steps and the end
    for (int step = 0; step < 4; ++step) {
      EXPECT_EQ(rows[step].tdo, c.tdo[step]) << c.name << ", step " << step;
    }
  }
}

// An exchange dumps as the write and the read it stands for, tdo taken from its samples
// even when the caller drops them.
TEST(VcdWriter, AnExchangeDumpsAsTheWriteAndTheReadItStandsFor) {
  const ScanChain alone{{6}, 1, 0};
  std::vector<PinVector> scan;
  AppendIrScan(&scan, TapStart::Unknown, alone, 0x09);
  AppendDrScan(&scan, TapStart::RunTestIdle, alone, 32, 0, false, DrScan::Capture);
  std::vector<uint8_t> bytes(2 * scan.size());
  ExpandInto(scan.data(), scan.size(), bytes.data());
  const uint32_t count = static_cast<uint32_t>(bytes.size());
  auto dump = [&](bool exchange) {
    sim::Board board(sim::BoardKind::Xc3s200);
    return Dump(board, [&](VcdWriter& writer) {
      AdapterLink link;
      link.adapter = &writer;
      LinkOpen(link);
      LinkSetBitMode(link, BITMODE_SYNC_BITBANG);
      if (exchange) {
        EXPECT_EQ(LinkExchange(link, bytes.data(), count, nullptr, READ_BOUND_MS), ADAPTER_OK);
      } else {
        std::vector<uint8_t> samples(count);
        LinkWrite(link, bytes.data(), count);
        LinkWait(link, SETTLE_MS);
        LinkGetStatus(link);
        LinkRead(link, samples.data(), count);
        EXPECT_EQ(link.bytesRead, count);
      }
    });
  };
  EXPECT_EQ(dump(true), dump(false));
}

TEST(VcdWriter, StepLengthFollowsTheRateSet) {
  ScriptedAdapter inner;
  std::string text = Dump(inner, [](VcdWriter& writer) {
    AdapterHandle handle = nullptr;
    writer.Open("FT232R USB UART", &handle);
    writer.SetBitMode(handle, 0xDF, BITMODE_ASYNC_BITBANG);
    const uint8_t bytes[] = {0x00, 0x40};
    uint32_t written = 0;
    writer.Write(handle, bytes, 2, &written);  // at the chip's default rate
    writer.SetBaudRate(handle, 921600);
    writer.Write(handle, bytes, 2, &written);
  });
  std::vector<Row> rows = ParseDump(text);
  ASSERT_EQ(rows.size(), 5u);
  std::vector<uint64_t> times;
  for (const Row& row : rows) times.push_back(row.time);
  uint64_t slow = BytePeriodNanoseconds(CHIP_DEFAULT_BAUD_RATE);
  uint64_t fast = BytePeriodNanoseconds(921600);
  EXPECT_EQ(times, (std::vector<uint64_t>{0, slow, 2 * slow, 2 * slow + fast, 2 * slow + 2 * fast}));
  EXPECT_LT(fast, slow);
}

}  // namespace
}  // namespace torvane
