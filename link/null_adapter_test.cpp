#include "link/null_adapter.h"

#include <gtest/gtest.h>

#include "link/vectors.h"

namespace torvane {
namespace {

TEST(NullAdapter, AnswersBitBangWritesWithSamples) {
  NullAdapter adapter;
  AdapterHandle handle = nullptr;
  ASSERT_EQ(adapter.Open("FT232R USB UART", &handle), ADAPTER_OK);
  uint32_t rx = 0;
  uint32_t n = 0;
  const uint8_t bytes[4] = {0x00, 0x40, 0x88, 0xC8};

  // Outside bit-bang mode nothing comes back.
  ASSERT_EQ(adapter.Write(handle, bytes, 4, &n), ADAPTER_OK);
  ASSERT_EQ(adapter.GetStatus(handle, &rx, &n, &n), ADAPTER_OK);
  EXPECT_EQ(rx, 0u);

  const uint8_t modes[] = {BITMODE_SYNC_BITBANG, BITMODE_ASYNC_BITBANG};
  for (uint8_t mode : modes) {
    ASSERT_EQ(adapter.SetBitMode(handle, PIN_DIRECTION_MASK, mode), ADAPTER_OK);
    ASSERT_EQ(adapter.Write(handle, bytes, 4, &n), ADAPTER_OK);
    EXPECT_EQ(n, 4u);
    ASSERT_EQ(adapter.GetStatus(handle, &rx, &n, &n), ADAPTER_OK);
    EXPECT_EQ(rx, 4u) << "mode " << int(mode);
    uint8_t samples[8] = {};
    ASSERT_EQ(adapter.Read(handle, samples, 8, &n), ADAPTER_OK);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(samples[0] & PIN_TDO, PIN_TDO);
  }

  ASSERT_EQ(adapter.Write(handle, bytes, 4, &n), ADAPTER_OK);
  ASSERT_EQ(adapter.Purge(handle, PURGE_RX), ADAPTER_OK);
  ASSERT_EQ(adapter.GetStatus(handle, &rx, &n, &n), ADAPTER_OK);
  EXPECT_EQ(rx, 0u);
  EXPECT_EQ(adapter.BytesAccepted(), 16u);
}

TEST(NullAdapter, RefusesEveryCallOnAHandleThatIsNotOpen) {
  NullAdapter adapter;
  AdapterHandle handle = nullptr;
  ASSERT_EQ(adapter.Open("FT232R USB UART", &handle), ADAPTER_OK);
  ASSERT_EQ(adapter.Close(handle), ADAPTER_OK);
  AdapterHandle stale = handle;
  uint32_t n = 5;
  uint8_t byte = 0;
  for (AdapterHandle h : {stale, AdapterHandle{nullptr}}) {
    EXPECT_EQ(adapter.SetUsbParameters(h, 16384, 0), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(adapter.SetBitMode(h, 0xDF, 1), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(adapter.SetBaudRate(h, 921600), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(adapter.Purge(h, PURGE_RX), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(adapter.Write(h, &byte, 1, &n), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(adapter.Read(h, &byte, 1, &n), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(adapter.Close(h), ADAPTER_INVALID_HANDLE);
  }
  EXPECT_EQ(adapter.BytesAccepted(), 0u);
}

}  // namespace
}  // namespace torvane
