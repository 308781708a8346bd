#include "link/vectors.h"

#include <new>

namespace torvane {

namespace {
constexpr PinVector IDLE_VECTORS[32] = {};
}  // namespace

const VectorTable VEC_IDLE = MakeTable(IDLE_VECTORS);

void ExpandInto(const PinVector* vectors, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) {
    out[2 * i] = vectors[i];
    out[2 * i + 1] = static_cast<uint8_t>(vectors[i] + PIN_TCK);
  }
}

ExpandedBuffer ExpandClocked(const PinVector* vectors, size_t count) {
  ExpandedBuffer buffer(new (std::nothrow) uint8_t[2 * count]);
  if (buffer) {
    ExpandInto(vectors, count, buffer.get());
  }
  return buffer;
}

ExpandedBuffer ExpandClockedReversed(const PinVector* vectors, size_t count) {
  ExpandedBuffer buffer(new (std::nothrow) uint8_t[2 * count]);
  if (buffer) {
    for (size_t i = 0; i < count; ++i) {
      PinVector v = vectors[count - 1 - i];
      buffer[2 * i] = v;
      buffer[2 * i + 1] = static_cast<uint8_t>(v + PIN_TCK);
    }
  }
  return buffer;
}

int SendVectors(AdapterLink& link, const PinVector* vectors, size_t count) {
  ExpandedBuffer buffer = ExpandClocked(vectors, count);
  int status = buffer ? LinkWrite(link, buffer.get(), static_cast<uint32_t>(2 * count))
                      : ADAPTER_INSUFFICIENT_RESOURCES;
  link.lastStatus = static_cast<uint32_t>(status);
  return status;
}

int SendVectors(AdapterLink& link, const VectorTable& table) {
  return SendVectors(link, table.vectors, table.count);
}

void ByteToVectors(uint8_t byte, PinVector out[8]) {
  for (int i = 0; i < 8; ++i) {
    out[i] = (byte & (0x80 >> i)) ? PIN_TDI : 0x00;
  }
}

}  // namespace torvane
