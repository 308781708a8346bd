// Synchronous bytes through the simulated board, timed by its model of a real cable (1 MB/s
// on the USB bus both ways, 1 ms for each round trip, the latency timer's hold): as one
// streamed exchange, and as the vendor driver's slices. The sizes are the adapter bytes of
// a full PROM read and of the verify of an XC3S200 design (256 blocks), and one block's
// data scan.
#include <benchmark/benchmark.h>

#include <vector>

#include "link/adapter_link.h"
#include "link/vectors.h"
#include "sim/board.h"

namespace torvane::bench {
namespace {

enum class Way { Streamed, DriverSlices };

constexpr int64_t FULL_READ_BYTES = 4283484;
constexpr int64_t VERIFY_XC3S200_BYTES = 2141788;
constexpr int64_t BLOCK_SCAN_BYTES = 8202;

void BM_Exchange(benchmark::State& state, Way way) {
  const size_t vectors = static_cast<size_t>(state.range(0)) / 2;
  std::vector<PinVector> idle(vectors, 0);  // clocks in Run-Test/Idle
  std::vector<uint8_t> bytes(2 * vectors);
  ExpandInto(idle.data(), idle.size(), bytes.data());
  std::vector<uint8_t> samples(bytes.size());
  sim::Board board(sim::BoardKind::Prom200);
  // The vendor's driver reads the chip all the time; libftdi only with a read in flight.
  board.SetSampleDrain(way == Way::DriverSlices ? sim::SampleDrain::Continuous
                                                : sim::SampleDrain::WhileReading);
  AdapterLink link;
  link.adapter = &board;
  LinkOpen(link);
  LinkSetUsbParameters(link, USB_TRANSFER_SIZE, 0);
  LinkSetBitMode(link, BITMODE_SYNC_BITBANG);
  LinkSetLatencyTimer(link, LOW_LATENCY_MS);
  const uint32_t count = static_cast<uint32_t>(bytes.size());
  sim::CableTime before = board.cableTime();
  for (auto _ : state) {
    bool ok = false;
    uint32_t written = 0;
    uint32_t read = 0;
    switch (way) {
      case Way::Streamed:
        ok = LinkExchange(link, bytes.data(), count, samples.data(), READ_BOUND_MS) == ADAPTER_OK;
        break;
      case Way::DriverSlices:
        ok = ExchangeInSlices(board, link.handle, bytes.data(), count, samples.data(),
                              READ_BOUND_MS, USB_TRANSFER_SIZE, &written, &read) == ADAPTER_OK;
        break;
    }
    if (!ok) {
      state.SkipWithError("the exchange did not complete");
      return;
    }
  }
  const sim::CableTime& after = board.cableTime();
  double runs = static_cast<double>(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(count));
  state.counters["modelled_s"] = static_cast<double>(after.nanoseconds - before.nanoseconds) /
                                 1e9 / runs;
  state.counters["usb_writes"] = static_cast<double>(after.writes - before.writes) / runs;
  state.counters["usb_reads"] = static_cast<double>(after.reads - before.reads) / runs;
}

void Sizes(benchmark::internal::Benchmark* bench) {
  bench->Arg(BLOCK_SCAN_BYTES)->Arg(VERIFY_XC3S200_BYTES)->Arg(FULL_READ_BYTES);
  bench->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_Exchange, Streamed, Way::Streamed)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Exchange, DriverSlices, Way::DriverSlices)->Apply(Sizes);

}  // namespace
}  // namespace torvane::bench
