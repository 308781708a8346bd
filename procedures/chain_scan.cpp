#include "procedures/chain_scan.h"

#include <algorithm>
#include <memory>

#include "link/vectors.h"

namespace torvane {

namespace {

// One code per device and the ones that end the chain.
constexpr size_t SCAN_BITS = 32 * (MAX_CHAIN_DEVICES + 1);
// Five TMS-high clocks, Run-Test/Idle, Select-DR-Scan, Capture-DR, Shift-DR.
constexpr size_t WALK_TO_SHIFT_DR = 9;
// Then the shift itself (its last bit into Exit1-DR), Update-DR and Run-Test/Idle.
constexpr size_t SCAN_VECTORS = WALK_TO_SHIFT_DR + SCAN_BITS + 2;

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
  LinkSetBitMode(link, BITMODE_SYNC_BITBANG);
  LinkSetLatencyTimer(link, LOW_LATENCY_MS);
  PinVector scan[SCAN_VECTORS];
  size_t n = 0;
  for (int i = 0; i < 5; ++i) scan[n++] = PIN_TMS;
  scan[n++] = 0;
  scan[n++] = PIN_TMS;
  scan[n++] = 0;
  scan[n++] = 0;
  // Ones shifted in: what comes out after the last device reads 0xFFFFFFFF.
  for (size_t i = 0; i < SCAN_BITS; ++i) {
    scan[n++] = static_cast<PinVector>(PIN_TDI | (i == SCAN_BITS - 1 ? PIN_TMS : 0));
  }
  scan[n++] = PIN_TMS;  // Update-DR
  scan[n++] = 0;        // Run-Test/Idle

  const uint32_t wanted = static_cast<uint32_t>(2 * n);
  std::unique_ptr<uint8_t[]> samples(new uint8_t[wanted]());
  uint32_t got = 0;
  LinkPurge(link, PURGE_RX);
  if (SendVectors(link, scan, n) == ADAPTER_OK) {
    got = LinkReadSamples(link, samples.get(), wanted, READ_BOUND_MS);
  }
  LinkPurge(link, PURGE_RX);
  if (got < wanted) return ChainListing{};
  // TDO shows bit i just after the falling edge of the vector before the one that
  // shifts it out: the vector that entered Shift-DR presents bit 0.
  bool bits[SCAN_BITS];
  for (size_t i = 0; i < SCAN_BITS; ++i) {
    bits[i] = (samples[2 * (WALK_TO_SHIFT_DR + i) + 1] & PIN_TDO) != 0;
  }
  return DecodeChain(bits, SCAN_BITS);
}

}  // namespace torvane
