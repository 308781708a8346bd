// The clocked expansion at the sizes the procedures use: a 32-vector idle table, a
// 512-byte chunk (4096 vectors), and the bytes-to-vectors step that feeds it.
#include <benchmark/benchmark.h>

#include <vector>

#include "link/vectors.h"

namespace torvane::bench {
namespace {

std::vector<PinVector> DataVectors(size_t count) {
  std::vector<PinVector> vectors(count);
  uint32_t x = 12345;
  for (size_t i = 0; i < count; i += 8) {
    x = x * 1103515245u + 12345u;
    ByteToVectors(static_cast<uint8_t>(x >> 16), &vectors[i]);
  }
  return vectors;
}

// One allocation, the expansion and the release per call, as every write does.
void BM_ExpandClocked(benchmark::State& state) {
  size_t count = static_cast<size_t>(state.range(0));
  std::vector<PinVector> vectors = DataVectors(count);
  for (auto _ : state) {
    ExpandedBuffer buffer = ExpandClocked(vectors.data(), count);
    benchmark::DoNotOptimize(buffer.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(2 * count));
}
BENCHMARK(BM_ExpandClocked)->Arg(32)->Arg(4096);

// File bytes to vectors to adapter bytes for one 512-byte chunk; bytes counted are
// adapter bytes produced.
void BM_ChunkToAdapterBytes(benchmark::State& state) {
  std::vector<uint8_t> chunk(512);
  for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i * 37 + 11);
  std::vector<PinVector> vectors(8 * chunk.size());
  for (auto _ : state) {
    for (size_t i = 0; i < chunk.size(); ++i) ByteToVectors(chunk[i], &vectors[8 * i]);
    ExpandedBuffer buffer = ExpandClocked(vectors.data(), vectors.size());
    benchmark::DoNotOptimize(buffer.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(2 * vectors.size()));
}
BENCHMARK(BM_ChunkToAdapterBytes);

}  // namespace
}  // namespace torvane::bench
