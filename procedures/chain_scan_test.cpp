// Chains the simulated boards do not have: a device without an IDCODE (one BYPASS bit)
// and an unknown one among known parts, and a TDO that never ends the chain.
#include "procedures/chain_scan.h"

#include <gtest/gtest.h>

#include <vector>

#include "procedures/parts.h"

namespace torvane {
namespace {

void PushCode(std::vector<bool>* bits, uint32_t code) {
  for (int k = 0; k < 32; ++k) bits->push_back(((code >> k) & 1) != 0);
}

ChainListing Decode(const std::vector<bool>& bits) {
  bool raw[320] = {};
  for (size_t i = 0; i < bits.size() && i < 320; ++i) raw[i] = bits[i];
  return DecodeChain(raw, 320);
}

TEST(ChainScan, DecodesCodesAndBypassBitsInChainOrder) {
  // Nearest TDO first: an XC3S400, a device in BYPASS, an unknown part, then the ones.
  std::vector<bool> bits;
  PushCode(&bits, IDCODE_XC3S400 | 0x20000000);  // another silicon revision
  bits.push_back(false);
  PushCode(&bits, 0x12345093);
  while (bits.size() < 320) bits.push_back(true);
  ChainListing listing = Decode(bits);
  EXPECT_EQ(listing.result, ChainRead::Read);
  ASSERT_EQ(listing.count, 3u);
  EXPECT_EQ(listing.idcodes[0], 0x12345093u);  // TDI side first
  EXPECT_EQ(listing.idcodes[1], 0u);
  EXPECT_STREQ(FindPart(listing.idcodes[2])->name, "XC3S400");
  EXPECT_EQ(FindPart(listing.idcodes[0]), nullptr);

  // A pattern that never ends in the ones: too long, not a chain of guesses.
  std::vector<bool> endless;
  while (endless.size() < 320) PushCode(&endless, 0x0141C093);
  EXPECT_EQ(Decode(endless).result, ChainRead::TooLong);
  EXPECT_EQ(Decode(std::vector<bool>(320, false)).result, ChainRead::StuckLow);
  EXPECT_EQ(Decode(std::vector<bool>(320, true)).result, ChainRead::StuckHigh);
}

}  // namespace
}  // namespace torvane
