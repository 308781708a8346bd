#include "procedures/prom_readback.h"

#include <cstring>

#include "procedures/outcome.h"
#include "procedures/stop.h"

namespace torvane {

namespace {

// Run-Test/Idle clocks after ISC_READ: at the scan rate they outlast the 50 us the part
// takes to bring the block into its data register.
constexpr size_t READ_IDLE_CLOCKS = 20;
constexpr size_t ADDRESS_BITS = 16;

// One block's read: its address loaded (the FPGA's BYPASS bit shifted in behind it, so
// the PROM's register holds all sixteen bits), ISC_READ and its clocks, then the block's
// bits shifted out, the first out the block's first byte's most significant bit.
ScanPlace AppendBlockRead(std::vector<PinVector>* scan, uint32_t block, size_t blockBits) {
  AppendIrScan(scan, TapStart::RunTestIdle, PROM_SCAN_CHAIN, PROM_ISC_ADDRESS_SHIFT);
  AppendDrScan(scan, TapStart::RunTestIdle, PROM_SCAN_CHAIN, ADDRESS_BITS,
               uint64_t{block} * BLOCK_ADDRESS_STEP, false, DrScan::Load);
  AppendIrScan(scan, TapStart::RunTestIdle, PROM_SCAN_CHAIN, PROM_ISC_READ);
  AppendIdle(scan, READ_IDLE_CLOCKS);
  return AppendDrScan(scan, TapStart::RunTestIdle, PROM_SCAN_CHAIN, blockBits, 0, false,
                      DrScan::Capture);
}

}  // namespace

bool LoadPromInstruction(AdapterLink& link, TapStart from, uint8_t promInstruction) {
  std::vector<PinVector> scan;
  AppendIrScan(&scan, from, PROM_SCAN_CHAIN, promInstruction);
  std::vector<uint8_t> samples;
  return ExchangeScan(link, scan, &samples) == ADAPTER_OK;
}

ReadBack ReadPromBlocks(AppState& state, DialogHost& host, const Part& prom, uint32_t blocks,
                        TapStart from, ReadBackSteps steps, std::vector<uint8_t>* image) {
  const size_t blockBits = 8 * size_t{prom.blockBytes};
  LinkSetBaudRate(state.link, READ_BACK_BAUD_RATE);
  image->assign(size_t{blocks} * prom.blockBytes, 0);
  std::vector<PinVector> scan;
  std::vector<ScanPlace> places;
  std::vector<uint8_t> samples;
  AppendIrScan(&scan, from, PROM_SCAN_CHAIN, PROM_ISC_ENABLE);
  for (uint32_t first = 0; first < blocks;) {
    // Between exchanges only: the TAP is then in Run-Test/Idle, where leaving ISC begins.
    if (first > 0 && StopRequested(state)) return ReadBack::Stopped;
    places.clear();
    while (first + places.size() < blocks && 2 * scan.size() < READ_BACK_EXCHANGE_BYTES) {
      places.push_back(
          AppendBlockRead(&scan, first + static_cast<uint32_t>(places.size()), blockBits));
    }
    if (ExchangeScan(state.link, scan, &samples) != ADAPTER_OK) {
      return ReadBack::Failed;
    }
    for (const ScanPlace& place : places) {
      ScanRegisterBytes(place, samples.data(), image->data() + size_t{first} * prom.blockBytes,
                        prom.blockBytes);
      ++first;
    }
    host.SetReadBackProgress(steps.before + first, steps.total);
    scan.clear();
  }
  return ReadBack::Read;
}

bool LeavePromIsc(AdapterLink& link, TapStart from) {
  if (from == TapStart::Unknown) LinkPurge(link, PURGE_RX);
  bool ok = LoadPromInstruction(link, from, PROM_ISC_DISABLE);
  LinkWait(link, ISC_DISABLE_MS);
  return ok;
}

int FirstDifferentBlock(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                        uint32_t blockBytes) {
  size_t longest = a.size() > b.size() ? a.size() : b.size();
  for (size_t at = 0; at < longest; at += blockBytes) {
    size_t n = blockBytes;
    if (at + n > a.size() || at + n > b.size() ||
        std::memcmp(a.data() + at, b.data() + at, n) != 0) {
      return static_cast<int>(at / blockBytes);
    }
  }
  return -1;
}

bool PromImageOrRefuse(const Part& prom, DialogHost& host, const std::vector<uint8_t>& data,
                       std::vector<uint8_t>* image) {
  if (!PromFits(prom, data.size())) {
    host.ShowError(MessageOwner::Dialog, TEXT_FILE_TOO_LARGE);
    return false;
  }
  *image = PromImage(prom, data);
  return true;
}

}  // namespace torvane
