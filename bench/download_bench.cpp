// Whole downloads as the dialog runs them, file reading included: the FPGA configuration
// of an XC3S200 and an XC3S400 and a full PROM, each through the discarding adapter (the
// host's cost alone) and through the simulated board (host and model together).
// Bytes counted are adapter bytes written.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench/bench_support.h"
#include "link/null_adapter.h"
#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "sim/board.h"

namespace torvane::bench {
namespace {

using DownloadFn = DownloadResult (*)(AppState&, DialogHost&);

void Report(benchmark::State& state, uint64_t adapterBytes, BenchFile which) {
  uint64_t perRun = state.iterations() > 0 ? adapterBytes / state.iterations() : 0;
  state.SetBytesProcessed(static_cast<int64_t>(adapterBytes));
  state.counters["adapter_bytes"] = static_cast<double>(perRun);
  state.counters["bytes_per_config_bit"] =
      static_cast<double>(perRun) / (8.0 * static_cast<double>(BenchDataBytes(which)));
}

void RunOnNullAdapter(benchmark::State& state, BenchFile which, DownloadFn download) {
  std::string path = BenchFilePath(which);
  if (path.empty()) {
    state.SkipWithError("cannot write the .bit file");
    return;
  }
  ClearedFpgaNullAdapter adapter;
  SilentHost host;
  AppState app;
  PrepareState(app, adapter, path, host);
  uint64_t before = adapter.BytesAccepted();
  for (auto _ : state) {
    if (download(app, host) == DownloadResult::FileError) {
      state.SkipWithError("the file was refused");
      return;
    }
    if (app.report.fpga == FpgaCheck::InitNeverHigh || app.report.fpga == FpgaCheck::NoSamples) {
      state.SkipWithError("the clear before the load did not pass");
      return;
    }
  }
  Report(state, adapter.BytesAccepted() - before, which);
}

void RunOnBoard(benchmark::State& state, BenchFile which, sim::BoardKind kind, DownloadFn download) {
  std::string path = BenchFilePath(which);
  if (path.empty()) {
    state.SkipWithError("cannot write the .bit file");
    return;
  }
  sim::Board board(kind);
  SilentHost host;
  AppState app;
  uint64_t bytes = 0;
  for (auto _ : state) {
    // Each run starts from power-up and a fresh identification, as after plugging in.
    state.PauseTiming();
    board.Replug();
    PrepareState(app, board, path, host);
    uint64_t before = board.bytesWritten();
    state.ResumeTiming();
    DownloadResult result = download(app, host);
    bytes += board.bytesWritten() - before;
    if (result != DownloadResult::Complete) {
      state.SkipWithError(host.lastMessage ? host.lastMessage : "the download did not complete");
      return;
    }
  }
  Report(state, bytes, which);
}

void BM_DownloadFpgaNull_XC3S200(benchmark::State& s) {
  RunOnNullAdapter(s, BenchFile::Xc3s200, DownloadFpga);
}
void BM_DownloadFpgaNull_XC3S400(benchmark::State& s) {
  RunOnNullAdapter(s, BenchFile::Xc3s400, DownloadFpga);
}
void BM_DownloadPromNull_Full(benchmark::State& s) {
  RunOnNullAdapter(s, BenchFile::PromImage, DownloadProm);
}
void BM_DownloadFpgaSim_XC3S200(benchmark::State& s) {
  RunOnBoard(s, BenchFile::Xc3s200, sim::BoardKind::Xc3s200, DownloadFpga);
}
void BM_DownloadFpgaSim_XC3S400(benchmark::State& s) {
  RunOnBoard(s, BenchFile::Xc3s400, sim::BoardKind::Xc3s400, DownloadFpga);
}
void BM_DownloadPromSim_Full(benchmark::State& s) {
  RunOnBoard(s, BenchFile::PromImage, sim::BoardKind::Prom400, DownloadProm);
}

BENCHMARK(BM_DownloadFpgaNull_XC3S200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadFpgaNull_XC3S400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadPromNull_Full)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadFpgaSim_XC3S200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadFpgaSim_XC3S400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadPromSim_Full)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvane::bench
