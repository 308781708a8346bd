// The PROM read back through the simulated board: a full read of its 512 blocks, as
// `torvane-cli read` makes it, and the verify of an XC3S200 design (256 blocks), as
// `torvane-cli verify` makes it. Counted: adapter bytes per bit read, and the USB round
// trips and the time the board's model of a real cable gives them (1 MB/s on the bus both
// ways, 1 ms per round trip, the latency timer's hold, the waits).
#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bitfile/bit_file.h"
#include "procedures/download_prom.h"
#include "procedures/prom_check.h"
#include "sim/board.h"
#include "sim/prom.h"

namespace torvane::bench {
namespace {

// Runs `readBack` from power-up and a fresh identification each time, and reports what
// it cost on the board's cable; `bits` are the bits each run reads back.
void RunReadBack(benchmark::State& state, sim::Board& board, double bits,
                 const std::function<DownloadResult(AppState&, DialogHost&)>& readBack) {
  SilentHost host;
  AppState app;
  uint64_t bytes = 0;
  sim::CableTime cable;
  for (auto _ : state) {
    state.PauseTiming();
    board.Replug();
    PrepareState(app, board, std::string(), host);
    uint64_t bytesBefore = board.bytesWritten();
    sim::CableTime before = board.cableTime();
    state.ResumeTiming();
    if (readBack(app, host) != DownloadResult::Complete) {
      state.SkipWithError("the read-back did not complete");
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
  state.counters["bytes_per_bit_read"] = perRun / bits;
  state.counters["writes"] = static_cast<double>(cable.writes) / runs;
  state.counters["reads"] = static_cast<double>(cable.reads) / runs;
  state.counters["wire_s"] = static_cast<double>(cable.nanoseconds) / 1e9 / runs;
}

void BM_ReadPromSim_Full(benchmark::State& state) {
  sim::Board board(sim::BoardKind::Prom400);
  std::vector<uint8_t> image;
  RunReadBack(state, board, 8.0 * static_cast<double>(board.prom()->memory().size()),
              [&](AppState& app, DialogHost& host) { return ReadProm(app, host, &image); });
}

void BM_VerifyPromSim_XC3S200(benchmark::State& state) {
  std::string path = BenchFilePath(BenchFile::Xc3s200);
  BitFile file;
  if (path.empty() || LoadBitFile(path.c_str(), &file) != BitFileError::None) {
    state.SkipWithError("cannot write the .bit file");
    return;
  }
  // The PROM holds the design, programmed once: each run verifies it.
  sim::Board board(sim::BoardKind::PromJtagMode);
  SilentHost host;
  AppState app;
  PrepareState(app, board, std::string(), host);
  if (DownloadPromFrom(app, host, file) != DownloadResult::Complete) {
    state.SkipWithError("the design was not programmed");
    return;
  }
  const double imageBytes = static_cast<double>(PromImage(PromFor(app.part), file.data).size());
  RunReadBack(state, board, 8.0 * imageBytes,
              [&](AppState& a, DialogHost& h) { return VerifyProm(a, h, file); });
}

BENCHMARK(BM_ReadPromSim_Full)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerifyPromSim_XC3S200)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvane::bench
