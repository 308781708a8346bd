// The PROM read back through the simulated board: a full read of its 512 blocks, as
// `torvane-cli read` makes it. Counted: adapter bytes per bit read, and the USB round
// trips and the time the board's model of a real cable gives them (1 MB/s on the bus both
// ways, 1 ms per round trip, the waits).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_support.h"
#include "procedures/download_prom.h"
#include "procedures/prom_check.h"
#include "sim/board.h"
#include "sim/prom.h"

namespace torvane::bench {
namespace {

void BM_ReadPromSim_Full(benchmark::State& state) {
  sim::Board board(sim::BoardKind::Prom400);
  SilentHost host;
  AppState app;
  std::vector<uint8_t> image;
  uint64_t bytes = 0;
  sim::CableTime cable;
  for (auto _ : state) {
    state.PauseTiming();
    board.Replug();
    PrepareState(app, board, std::string(), host);
    uint64_t bytesBefore = board.bytesWritten();
    sim::CableTime before = board.cableTime();
    state.ResumeTiming();
    if (ReadProm(app, host, &image) != DownloadResult::Complete) {
      state.SkipWithError("the read did not complete");
      return;
    }
    bytes += board.bytesWritten() - bytesBefore;
    cable.nanoseconds += board.cableTime().nanoseconds - before.nanoseconds;
    cable.writes += board.cableTime().writes - before.writes;
    cable.reads += board.cableTime().reads - before.reads;
  }
  double runs = static_cast<double>(state.iterations());
  double perRun = static_cast<double>(bytes) / runs;
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["adapter_bytes"] = perRun;
  state.counters["bytes_per_bit_read"] = perRun / (8.0 * sim::Prom::BLOCK_BYTES * sim::Prom::BLOCK_COUNT);
  state.counters["writes"] = static_cast<double>(cable.writes) / runs;
  state.counters["reads"] = static_cast<double>(cable.reads) / runs;
  state.counters["wire_s"] = static_cast<double>(cable.nanoseconds) / 1e9 / runs;
}

BENCHMARK(BM_ReadPromSim_Full)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvane::bench
