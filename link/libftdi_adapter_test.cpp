#include "link/libftdi_adapter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace torvane {
namespace {

// No cable is needed: without one the open must fail cleanly and say why, and every
// later call must refuse the handle it left behind.
TEST(LibftdiAdapter, FailedOpenLeavesNoHandleAndEveryCallRefusesIt) {
  LibftdiAdapter adapter;
  AdapterHandle handle = reinterpret_cast<AdapterHandle>(1);
  int status = adapter.Open("no adapter has this description", &handle);
  ASSERT_NE(status, ADAPTER_OK);
  EXPECT_EQ(handle, nullptr);
  EXPECT_NE(adapter.LastOpenProblemKind(), OpenProblem::None);
  EXPECT_GT(std::strlen(adapter.LastOpenProblem()), 0u);

  int bogus = 0;
  for (AdapterHandle h : {handle, static_cast<AdapterHandle>(&bogus)}) {
    uint32_t rx = 9, tx = 9, event = 9, n = 9;
    uint8_t byte = 0x55;
    EXPECT_EQ(adapter.SetUsbParameters(h, 16384, 0), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(adapter.SetBitMode(h, 0xDF, 4), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(adapter.SetBaudRate(h, 921600), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(adapter.Purge(h, 1), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(adapter.Write(h, &byte, 1, &n), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(adapter.GetStatus(h, &rx, &tx, &event), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(rx + tx + event, 0u);
    n = 9;
    EXPECT_EQ(adapter.Read(h, &byte, 1, &n), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(n, 0u);
    uint32_t written = 9;
    n = 9;
    EXPECT_EQ(adapter.Exchange(h, &byte, 1, &byte, 10, &written, &n), ADAPTER_INVALID_HANDLE);
    EXPECT_EQ(written + n, 0u);
    EXPECT_EQ(adapter.Close(h), ADAPTER_INVALID_HANDLE);
  }
}

TEST(LibftdiAdapter, OpenWithoutDescriptionIsRefused) {
  LibftdiAdapter adapter;
  AdapterHandle handle = nullptr;
  EXPECT_EQ(adapter.Open(nullptr, &handle), ADAPTER_INVALID_PARAMETER);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(adapter.Open("FT232R USB UART", nullptr), ADAPTER_INVALID_PARAMETER);
}

}  // namespace
}  // namespace torvane
