#include "procedures/chain_scan.h"

#include <algorithm>
#include <vector>

#include "link/jtag_scan.h"

namespace torvane {

namespace {

// One code per device and the ones that end the chain.
constexpr size_t SCAN_BITS = 32 * (MAX_CHAIN_DEVICES + 1);

uint32_t Word(const bool* bits, size_t at) {
  uint32_t word = 0;
  for (size_t k = 0; k < 32; ++k) {
    if (bits[at + k]) word |= uint32_t{1} << k;
  }
  return word;
}

}  // namespace

ChainListing DecodeChain(const bool* bits, size_t count) {
  ChainListing listing;
  if (std::none_of(bits, bits + count, [](bool one) { return one; })) {
    listing.result = ChainRead::StuckLow;
    return listing;
  }
  uint32_t nearestTdoFirst[MAX_CHAIN_DEVICES] = {};
  listing.result = ChainRead::TooLong;
  for (size_t at = 0; at + 32 <= count;) {
    // A 0 first is a device in BYPASS: one bit, no code.
    uint32_t code = bits[at] ? Word(bits, at) : 0;
    if (code == 0xFFFFFFFF) {
      listing.result = listing.count == 0 ? ChainRead::StuckHigh : ChainRead::Read;
      break;
    }
    if (listing.count == MAX_CHAIN_DEVICES) break;
    nearestTdoFirst[listing.count++] = code;
    at += code == 0 ? 1 : 32;
  }
  std::reverse_copy(nearestTdoFirst, nearestTdoFirst + listing.count, listing.idcodes);
  return listing;
}

ChainListing ReadChain(AdapterLink& link) {
  EnterScanMode(link);
  // The chain's make-up is what the scan finds out: one register of unknown length,
  // ones shifted in behind the codes.
  std::vector<PinVector> scan;
  ScanPlace place = AppendDrScan(&scan, TapStart::Unknown, ScanChain{{}, 0, 0}, SCAN_BITS, ~0ull,
                                 /*fill=*/true, DrScan::Capture);
  std::vector<uint8_t> samples;
  if (ExchangeScan(link, scan, &samples) != ADAPTER_OK) return ChainListing{};
  bool bits[SCAN_BITS];
  for (size_t i = 0; i < SCAN_BITS; ++i) bits[i] = RegisterBit(place, samples.data(), i);
  return DecodeChain(bits, SCAN_BITS);
}

}  // namespace torvane
