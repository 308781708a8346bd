// The whole JTAG chain read after identification: every device's IDCODE from a data scan
// out of Test-Logic-Reset, where each device holds IDCODE (or BYPASS, one 0 bit, when it
// has none). Ones shifted in behind the codes end the chain with 0xFFFFFFFF.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/adapter_link.h"

namespace torvane {

constexpr size_t MAX_CHAIN_DEVICES = 8;

enum class ChainRead {
  Read,       // every device up to the ones shifted in
  StuckLow,   // TDO read 0 throughout
  StuckHigh,  // TDO read 1 throughout: no device drives it
  NoSamples,  // the samples did not come back through the adapter
  TooLong,    // no end within MAX_CHAIN_DEVICES codes
};

struct ChainListing {
  ChainRead result = ChainRead::NoSamples;
  size_t count = 0;
  uint32_t idcodes[MAX_CHAIN_DEVICES] = {};  // TDI side first; 0 for a device without one
};

// The listing from the bits a data scan shifted out of TDO, in order: the device nearest
// TDO comes out first.
ChainListing DecodeChain(const bool* bits, size_t count);

// Sets synchronous mode and the low latency timer, then scans the chain from reset and
// waits (bounded) for its samples; leaves the TAP in Run-Test/Idle.
ChainListing ReadChain(AdapterLink& link);

}  // namespace torvane
