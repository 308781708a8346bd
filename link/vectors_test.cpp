#include "link/vectors.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/scripted_adapter_test.h"

namespace torvane {
namespace {

std::vector<uint8_t> Bytes(const ExpandedBuffer& buffer, size_t count) {
  return std::vector<uint8_t>(buffer.get(), buffer.get() + count);
}

TEST(ByteToVectors, GivesTdiPerBitMostSignificantFirst) {
  struct Case {
    uint8_t byte;
    std::vector<PinVector> vectors;
  };
  const Case cases[] = {
      {0xA5, {0x80, 0x00, 0x80, 0x00, 0x00, 0x80, 0x00, 0x80}},
      {0x00, {0, 0, 0, 0, 0, 0, 0, 0}},
      {0xFF, {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80}},
      {0x01, {0, 0, 0, 0, 0, 0, 0, 0x80}},
      {0x80, {0x80, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    PinVector out[8];
    ByteToVectors(c.byte, out);
    EXPECT_EQ(std::vector<PinVector>(out, out + 8), c.vectors) << "byte " << int(c.byte);
  }
}

TEST(ExpandClocked, GivesEachVectorWithTckLowThenHigh) {
  struct Case {
    std::vector<PinVector> vectors;
    std::vector<uint8_t> expanded;
  };
  const Case cases[] = {
      {{0x08}, {0x08, 0x48}},
      {{0x80, 0x88, 0x00}, {0x80, 0xC0, 0x88, 0xC8, 0x00, 0x40}},
      {{0x97, 0x06}, {0x97, 0xD7, 0x06, 0x46}},
  };
  for (const Case& c : cases) {
    ExpandedBuffer forward = ExpandClocked(c.vectors.data(), c.vectors.size());
    ASSERT_TRUE(forward);
    EXPECT_EQ(Bytes(forward, c.expanded.size()), c.expanded);

    // Reversed takes the same pairs from the last vector back to the first.
    std::vector<uint8_t> backward;
    for (size_t i = c.expanded.size(); i >= 2; i -= 2) {
      backward.push_back(c.expanded[i - 2]);
      backward.push_back(c.expanded[i - 1]);
    }
    ExpandedBuffer reversed = ExpandClockedReversed(c.vectors.data(), c.vectors.size());
    ASSERT_TRUE(reversed);
    EXPECT_EQ(Bytes(reversed, backward.size()), backward);
  }
}

TEST(ExpandClocked, IdleTableGivesSixtyFourAlternatingBytes) {
  ASSERT_EQ(VEC_IDLE.count, 32u);
  ExpandedBuffer buffer = ExpandClocked(VEC_IDLE.vectors, VEC_IDLE.count);
  ASSERT_TRUE(buffer);
  for (size_t i = 0; i < 64; ++i) {
    EXPECT_EQ(buffer[i], i % 2 ? 0x40 : 0x00) << "byte " << i;
  }
}

TEST(ExpandClockedReversed, ClocksTheBlockAddressLeastSignificantBitFirst) {
  PinVector address[16];
  ByteToVectors(0x00, address);
  ByteToVectors(0x20, address + 8);
  ExpandedBuffer buffer = ExpandClockedReversed(address, 16);
  ASSERT_TRUE(buffer);
  std::vector<int> tdiAtRisingEdge;
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(buffer[2 * i] & PIN_TCK, 0) << "falling edge " << i;
    EXPECT_EQ(buffer[2 * i + 1] & PIN_TCK, PIN_TCK) << "rising edge " << i;
    tdiAtRisingEdge.push_back((buffer[2 * i + 1] & PIN_TDI) ? 1 : 0);
  }
  EXPECT_EQ(tdiAtRisingEdge, (std::vector<int>{0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SendVectors, WritesTheExpansionAsOneWriteAndStoresItsStatus) {
  const int statuses[] = {ADAPTER_OK, ADAPTER_IO_ERROR, ADAPTER_INVALID_HANDLE};
  for (int status : statuses) {
    ScriptedAdapter adapter;
    adapter.callStatus = status;
    AdapterLink link;
    link.adapter = &adapter;
    link.lastStatus = 99;
    const PinVector table[] = {0x08, 0x80, 0x00};

    EXPECT_EQ(SendVectors(link, table, 3), status);
    EXPECT_EQ(link.lastStatus, static_cast<uint32_t>(status));
    ASSERT_EQ(adapter.writes.size(), 1u);
    EXPECT_EQ(adapter.writes[0], (std::vector<uint8_t>{0x08, 0x48, 0x80, 0xC0, 0x00, 0x40}));
  }
}

TEST(SendVectors, EmptyTableWritesNothing) {
  ScriptedAdapter adapter;
  AdapterLink link;
  link.adapter = &adapter;
  link.lastStatus = 99;
  EXPECT_EQ(SendVectors(link, VectorTable{nullptr, 0}), ADAPTER_OK);
  EXPECT_EQ(link.lastStatus, 0u);
  ASSERT_EQ(adapter.writes.size(), 1u);
  EXPECT_TRUE(adapter.writes[0].empty());
}

TEST(SendVectors, WithoutBackendStoresTheFailure) {
  AdapterLink link;
  EXPECT_NE(SendVectors(link, VEC_IDLE), ADAPTER_OK);
  EXPECT_NE(link.lastStatus, 0u);
}

}  // namespace
}  // namespace torvane
