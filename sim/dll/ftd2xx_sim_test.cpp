// The stand-in driver library as the vendor-driver backend loads it, playing a driver
// whose latency timer a user set long.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "link/adapter_link.h"
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

}  // namespace
}  // namespace torvane
