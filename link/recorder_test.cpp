#include "link/recorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "link/scripted_adapter_test.h"

namespace torvane {
namespace {

// Runs `calls` on a recorder over `inner` writing to a real file, destroys the recorder
// without closing the file, and reads the file back through a separate stream: whatever
// the destructor left unflushed would be missing.
std::string Trace(Adapter& inner, const std::function<void(Recorder&)>& calls) {
  // One file per test: the tests run side by side as separate processes.
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string path = testing::TempDir() + "recorder_" + info->test_suite_name() + "_" +
                     info->name() + ".txt";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  EXPECT_NE(file, nullptr);
  {
    Recorder recorder(inner, file);
    calls(recorder);
  }
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::fclose(file);
  std::remove(path.c_str());
  return text.str();
}

TEST(Recorder, WritesOneLinePerCallInTheTraceFormat) {
  struct Case {
    const char* name;
    std::function<void(Recorder&)> call;
    const char* line;
  };
  const uint8_t bytes[] = {0x0E, 0xA5, 0x00, 0xFF};
  const Case cases[] = {
      {"open", [](Recorder& r) { AdapterHandle h; r.Open("FT232R USB UART", &h); }, "open ok\n"},
      {"usbparams", [](Recorder& r) { r.SetUsbParameters(nullptr, 16384, 0); },
       "usbparams 16384 0\n"},
      {"bitmode", [](Recorder& r) { r.SetBitMode(nullptr, 0xDF, 4); }, "bitmode 0xDF 4\n"},
      {"bitmode low mask", [](Recorder& r) { r.SetBitMode(nullptr, 0x0A, 1); },
       "bitmode 0x0A 1\n"},
      {"baud", [](Recorder& r) { r.SetBaudRate(nullptr, 921600); }, "baud 921600\n"},
      {"purge", [](Recorder& r) { r.Purge(nullptr, PURGE_RX); }, "purge 1\n"},
      {"latency", [](Recorder& r) { r.SetLatencyTimer(nullptr, 1); }, "latency 1\n"},
      {"write", [&](Recorder& r) { uint32_t n; r.Write(nullptr, bytes, 4, &n); },
       "write 0EA500FF\n"},
      {"empty write", [&](Recorder& r) { uint32_t n; r.Write(nullptr, bytes, 0, &n); },
       "write\n"},
      {"close", [](Recorder& r) { r.Close(nullptr); }, "close\n"},
      {"sleep", [](Recorder& r) { r.Wait(50); }, "sleep 50\n"},
      {"sleep zero", [](Recorder& r) { r.Wait(0); }, "sleep 0\n"},
  };
  for (const Case& c : cases) {
    ScriptedAdapter inner;
    EXPECT_EQ(Trace(inner, c.call), c.line) << c.name;
  }
}

TEST(Recorder, RecordsFailedCallsAndPassesTheirStatusesThrough) {
  ScriptedAdapter inner;
  inner.openStatus = ADAPTER_DEVICE_NOT_FOUND;
  inner.callStatus = ADAPTER_INVALID_HANDLE;
  std::vector<int> statuses;
  std::string trace = Trace(inner, [&](Recorder& r) {
    AdapterHandle handle = nullptr;
    uint32_t n = 7;
    const uint8_t byte = 0x3C;
    statuses.push_back(r.Open("FT232R USB UART", &handle));
    statuses.push_back(r.SetBaudRate(handle, 921600));
    statuses.push_back(r.Write(handle, &byte, 1, &n));
    statuses.push_back(r.Close(handle));
  });
  EXPECT_EQ(trace, "open fail\nbaud 921600\nwrite 3C\nclose\n");
  EXPECT_EQ(statuses, (std::vector<int>{ADAPTER_DEVICE_NOT_FOUND, ADAPTER_INVALID_HANDLE,
                                        ADAPTER_INVALID_HANDLE, ADAPTER_INVALID_HANDLE}));
}

TEST(Recorder, StatusAndReadRecordWhatTheBackendReturned) {
  ScriptedAdapter inner;
  inner.rx = {0x20, 0x2F, 0xDF};
  uint32_t rxQueued = 0;
  uint32_t got = 0;
  uint8_t buffer[8] = {};
  std::string trace = Trace(inner, [&](Recorder& r) {
    r.GetStatus(nullptr, &rxQueued, nullptr, nullptr);
    r.Read(nullptr, buffer, 8, &got);
    r.Read(nullptr, buffer, 64, &got);
  });
  EXPECT_EQ(trace, "status 3\nread 8 202FDF\nread 64\n");
  EXPECT_EQ(rxQueued, 3u);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(buffer[1], 0x2F);
}

// An exchange keeps the trace's format: the write of its bytes, the read of its samples,
// recorded even when the caller drops them.
TEST(Recorder, AnExchangeRecordsAsAWriteAndARead) {
  ScriptedAdapter inner;
  inner.rx = {0x20, 0x2F, 0xDF};
  const uint8_t bytes[] = {0x0E, 0xA5, 0x00};
  uint32_t written = 0;
  uint32_t read = 0;
  std::string trace = Trace(inner, [&](Recorder& r) {
    EXPECT_EQ(r.Exchange(nullptr, bytes, 3, nullptr, 10, &written, &read), ADAPTER_OK);
  });
  EXPECT_EQ(trace, "write 0EA500\nread 3 202FDF\n");
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(read, 3u);
  ASSERT_EQ(inner.writes.size(), 1u);
}

TEST(Recorder, LongWriteIsForwardedWholeAndEncodedExactly) {
  // Longer than the recorder's own buffer, and covering every byte value.
  std::vector<uint8_t> data(300000);
  for (size_t i = 0; i < data.size(); ++i) {
    data[i] = static_cast<uint8_t>(i * 7 + i / 256);
  }
  std::string expected = "write ";
  for (uint8_t byte : data) {
    char pair[3];
    std::snprintf(pair, sizeof(pair), "%02X", byte);
    expected += pair;
  }
  expected += "\nsleep 50\n";

  ScriptedAdapter inner;
  uint32_t written = 0;
  std::string trace = Trace(inner, [&](Recorder& r) {
    r.Write(nullptr, data.data(), static_cast<uint32_t>(data.size()), &written);
    r.Wait(50);
  });
  EXPECT_EQ(trace, expected);
  EXPECT_EQ(written, data.size());
  ASSERT_EQ(inner.writes.size(), 1u);
  EXPECT_EQ(inner.writes[0], data);
  EXPECT_EQ(inner.waits, (std::vector<uint32_t>{50}));
}

}  // namespace
}  // namespace torvane
