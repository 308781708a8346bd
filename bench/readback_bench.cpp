// The PROM read back through the simulated board: a full read of its 512 blocks, as
// `torvane-cli read` makes it. Counted: adapter bytes per bit read, and the separate
// writes and reads, each a USB round trip on a real cable, with the time they come to at
// 1 MB/s of adapter bytes and 1 ms per round trip.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_support.h"
#include "procedures/download_prom.h"
#include "procedures/prom_check.h"
#include "sim/board.h"
#include "sim/prom.h"

namespace torvane::bench {
namespace {

constexpr double WIRE_BYTES_PER_S = 1e6;
constexpr double ROUND_TRIP_S = 1e-3;

void BM_ReadPromSim_Full(benchmark::State& state) {
  sim::Board board(sim::BoardKind::Prom400);
  SilentHost host;
  AppState app;
  std::vector<uint8_t> image;
  uint64_t bytes = 0;
  uint64_t writes = 0;
  uint64_t reads = 0;
  for (auto _ : state) {
    state.PauseTiming();
    board.Replug();
    PrepareState(app, board, std::string(), host);
    uint64_t bytesBefore = board.bytesWritten();
    uint64_t writesBefore = board.writeSizes().size();
    uint64_t readsBefore = board.readCalls();
    state.ResumeTiming();
    if (!ReadProm(app, host, &image)) {
      state.SkipWithError("the read did not complete");
      return;
    }
    bytes += board.bytesWritten() - bytesBefore;
    writes += board.writeSizes().size() - writesBefore;
    reads += board.readCalls() - readsBefore;
  }
  double runs = static_cast<double>(state.iterations());
  double perRun = static_cast<double>(bytes) / runs;
  double calls = static_cast<double>(writes + reads) / runs;
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["adapter_bytes"] = perRun;
  const double bits = 8.0 * sim::Prom::BLOCK_BYTES * sim::Prom::BLOCK_COUNT;
  state.counters["bytes_per_bit_read"] = perRun / bits;
  state.counters["writes"] = static_cast<double>(writes) / runs;
  state.counters["reads"] = static_cast<double>(reads) / runs;
  state.counters["wire_s"] = perRun / WIRE_BYTES_PER_S + calls * ROUND_TRIP_S;
}

BENCHMARK(BM_ReadPromSim_Full)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvane::bench
