// The stand-in driver library as the vendor-driver backend loads it: a driver whose
// latency timer a user set long, and an exchange far longer than the driver's buffer.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "link/adapter_link.h"
#include "link/vectors.h"
#include "platform/d2xx_library.h"
#include "procedures/identify.h"
#include "sim/dll/board_choice.h"
#include "tests/support/recording_host.h"

namespace torvane {
namespace {

// The board file beside the library, which sits beside this program.
void Plug(const char* text) {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path, length);
  directory.erase(directory.find_last_of("\\/") + 1);
  std::ofstream(directory + sim::BOARD_FILE_NAME) << text << "\n";
}

// With its own timer at 60 ms the driver would hold the last two of identification's 64
// samples past its 50 ms wait, and a dead chain would read 7FFFFFFF.
TEST(StandInDriver, ALongDriverLatencyDoesNotCutIdentificationShort) {
  Plug("dead latency=60");
  std::unique_ptr<D2xxAdapter> adapter = LoadD2xxAdapter(D2XX_LIBRARY_NAME);
  ASSERT_TRUE(adapter->HasDriver());
  AppState state;
  state.link.adapter = adapter.get();
  testing::RecordingHost host;
  IdentifyResult result = IdentifyChain(state, host);
  EXPECT_EQ(result.idcode, 0xFFFFFFFFu);
  EXPECT_EQ(host.deviceLine(), "JTAG : not found (FFFFFFFF)");
  EXPECT_EQ(LinkClose(state.link), ADAPTER_OK);
}

// The driver holds four transfers of samples; written at once, 50,000 bytes would stop
// the chip. Streamed, each comes back as the lines before it, TDO floating high.
TEST(StandInDriver, AnExchangeStreamsFarMoreThanTheDriverHolds) {
  Plug("xc3s200");
  std::unique_ptr<D2xxAdapter> adapter = LoadD2xxAdapter(D2XX_LIBRARY_NAME);
  AdapterLink link;
  link.adapter = adapter.get();
  ASSERT_EQ(LinkOpen(link), ADAPTER_OK);
  ASSERT_EQ(LinkSetUsbParameters(link, 4096, 0), ADAPTER_OK);
  ASSERT_EQ(LinkSetBitMode(link, BITMODE_SYNC_BITBANG), ADAPTER_OK);
  // TCK never rises: the lines move, the TAP does not.
  std::vector<uint8_t> bytes(50000);
  std::vector<uint8_t> expected(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>((i * 37 + i / 251) & ~PIN_TCK & PIN_DIRECTION_MASK);
    expected[i] = static_cast<uint8_t>((i == 0 ? 0 : bytes[i - 1]) | PIN_TDO);
  }
  std::vector<uint8_t> samples(bytes.size());
  ASSERT_EQ(LinkExchange(link, bytes.data(), static_cast<uint32_t>(bytes.size()),
                         samples.data(), READ_BOUND_MS),
            ADAPTER_OK);
  EXPECT_EQ(link.bytesRead, bytes.size());
  EXPECT_EQ(samples, expected);
  EXPECT_EQ(LinkClose(link), ADAPTER_OK);
}

}  // namespace
}  // namespace torvane
