// Pin vectors: one byte of adapter line levels per TCK period, and the conversions that
// turn tables of them into the bytes the adapter clocks out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "link/adapter_link.h"

namespace torvane {

using PinVector = uint8_t;

// Bit n drives adapter data line Dn.
constexpr PinVector PIN_TDI = 0x80;
constexpr PinVector PIN_TCK = 0x40;  // never stored in a table: the expansion adds it
constexpr PinVector PIN_TDO = 0x20;  // the only input line
constexpr PinVector PIN_TMS = 0x08;
constexpr uint8_t PIN_DIRECTION_MASK = 0xDF;  // every line an output except D5 (TDO)

// A fixed table of vectors, sent in order, one TCK period each.
struct VectorTable {
  const PinVector* vectors;
  size_t count;
};

// The number of vectors in a table, whatever the size of one vector.
template <size_t N>
constexpr size_t TableSize(const PinVector (&)[N]) {
  return N;
}

template <size_t N>
constexpr VectorTable MakeTable(const PinVector (&vectors)[N]) {
  return VectorTable{vectors, N};
}

// 32 idle vectors: 32 clocks in Run-Test/Idle, or 32 zero bits shifted in a Shift state.
extern const VectorTable VEC_IDLE;
// One raw byte, written without expansion after a failed download: every output high.
constexpr uint8_t VEC_RELEASE = 0xFF;

// An expansion buffer lives for one write: the caller releases it once the write returns.
using ExpandedBuffer = std::unique_ptr<uint8_t[]>;

// Two bytes per vector: the vector with TCK low (falling edge), then with TCK high
// (rising edge, where the TAP samples TMS and TDI).
ExpandedBuffer ExpandClocked(const PinVector* vectors, size_t count);
// The same, taking the vectors from the last back to the first.
ExpandedBuffer ExpandClockedReversed(const PinVector* vectors, size_t count);
// Writes the pure expansion into `out` (2 * count bytes); the allocation-free core of both.
void ExpandInto(const PinVector* vectors, size_t count, uint8_t* out);

// Expands and writes one table; the write status is stored in link.lastStatus.
int SendVectors(AdapterLink& link, const PinVector* vectors, size_t count);
int SendVectors(AdapterLink& link, const VectorTable& table);

// Eight vectors for one data byte, most significant bit first, TMS low throughout.
void ByteToVectors(uint8_t byte, PinVector out[8]);

}  // namespace torvane
