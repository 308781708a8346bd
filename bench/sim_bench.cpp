// The simulated board's own speed, in adapter bytes per second: a configuration stream
// into an XC3S400's CFG_IN port, and idle clocks through the PROM chain.
#include <benchmark/benchmark.h>

#include <vector>

#include "link/vectors.h"
#include "sim/board.h"

namespace torvane::bench {
namespace {

constexpr uint32_t WRITE_BYTES = 8192;   // one chunk of the FPGA download
constexpr int WRITES_PER_SESSION = 256;  // then the board is powered up afresh

// Test-Logic-Reset, then CFG_IN (0x05) into Shift-DR, as the FPGA download starts.
constexpr PinVector ENTER_CFG_IN[20] = {0x08, 0x08, 0x08, 0x08, 0x08, 0x00, 0x08,
                                        0x08, 0x00, 0x00, 0x80, 0x00, 0x80, 0x00,
                                        0x00, 0x08, 0x08, 0x08, 0x00, 0x00};

std::vector<uint8_t> ExpandedData(uint32_t bytes) {
  std::vector<PinVector> vectors(bytes / 2);
  uint32_t x = 99;
  for (size_t i = 0; i < vectors.size(); i += 8) {
    x = x * 1103515245u + 12345u;
    ByteToVectors(static_cast<uint8_t>(x >> 16), &vectors[i]);
  }
  std::vector<uint8_t> out(bytes);
  ExpandInto(vectors.data(), vectors.size(), out.data());
  return out;
}

void StartSession(sim::Board& board, AdapterHandle* handle, const PinVector* lead, size_t count) {
  board.Replug();
  board.Open(ADAPTER_DESCRIPTION, handle);
  board.SetBitMode(*handle, PIN_DIRECTION_MASK, BITMODE_ASYNC_BITBANG);
  std::vector<uint8_t> expanded(2 * count);
  ExpandInto(lead, count, expanded.data());
  uint32_t written = 0;
  board.Write(*handle, expanded.data(), static_cast<uint32_t>(expanded.size()), &written);
}

void RunStream(benchmark::State& state, sim::BoardKind kind, const std::vector<uint8_t>& bytes,
               const PinVector* lead, size_t leadCount) {
  sim::Board board(kind);
  AdapterHandle handle = nullptr;
  StartSession(board, &handle, lead, leadCount);
  int writes = 0;
  uint32_t written = 0;
  for (auto _ : state) {
    if (writes == WRITES_PER_SESSION) {
      // The FPGA keeps every configuration bit it saw; a fresh power-up bounds that.
      state.PauseTiming();
      StartSession(board, &handle, lead, leadCount);
      writes = 0;
      state.ResumeTiming();
    }
    board.Write(handle, bytes.data(), static_cast<uint32_t>(bytes.size()), &written);
    ++writes;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}

void BM_SimConfigStream(benchmark::State& state) {
  std::vector<uint8_t> bytes = ExpandedData(WRITE_BYTES);
  RunStream(state, sim::BoardKind::Xc3s400, bytes, ENTER_CFG_IN, TableSize(ENTER_CFG_IN));
}
BENCHMARK(BM_SimConfigStream);

// Run-Test/Idle clocks through both devices of the PROM chain: the waits of a PROM download.
void BM_SimIdleStreamPromChain(benchmark::State& state) {
  std::vector<uint8_t> bytes(WRITE_BYTES);
  std::vector<PinVector> idle(WRITE_BYTES / 2, 0x00);
  ExpandInto(idle.data(), idle.size(), bytes.data());
  constexpr PinVector TO_IDLE[6] = {0x08, 0x08, 0x08, 0x08, 0x08, 0x00};
  RunStream(state, sim::BoardKind::Prom400, bytes, TO_IDLE, TableSize(TO_IDLE));
}
BENCHMARK(BM_SimIdleStreamPromChain);

}  // namespace
}  // namespace torvane::bench
