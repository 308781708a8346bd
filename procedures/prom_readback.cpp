#include "procedures/prom_readback.h"

#include <cstring>

namespace torvane {

namespace {

// A data scan: TDO shows bit i just after the falling edge of vector 3 + i, so in
// sample 7 + 2i.
constexpr size_t FIRST_DR_SAMPLE = 7;
// Run-Test/Idle clocks after ISC_READ; the part's 50 us pass in the round trip that
// collects their samples before the data scan is written.
constexpr size_t READ_IDLE_CLOCKS = 20;
constexpr size_t ADDRESS_SCAN_VECTORS = 22;

// From Run-Test/Idle: Select-DR-Scan, Capture-DR, Shift-DR; seventeen bits, the PROM's
// 16-bit address least significant bit first and a 0 for the FPGA's bypass bit, the
// last into Exit1-DR; Update-DR, Run-Test/Idle.
void AddressScan(uint16_t address, PinVector out[ADDRESS_SCAN_VECTORS]) {
  out[0] = PIN_TMS;
  out[1] = 0x00;
  out[2] = 0x00;
  for (int i = 0; i < 16; ++i) out[3 + i] = (address >> i) & 1 ? PIN_TDI : 0x00;
  out[19] = PIN_TMS;
  out[20] = PIN_TMS;
  out[21] = 0x00;
}

// From Run-Test/Idle: Select-DR-Scan, Capture-DR, Shift-DR; the block's bits shifted out
// of the PROM's data register, the last into Exit1-DR; Update-DR, Run-Test/Idle.
std::vector<PinVector> DataScan(size_t blockBits) {
  std::vector<PinVector> scan(3 + blockBits + 2, 0x00);
  scan[0] = PIN_TMS;
  scan[3 + blockBits - 1] = PIN_TMS;
  scan[3 + blockBits] = PIN_TMS;
  return scan;
}

}  // namespace

// From Run-Test/Idle: Select-DR-Scan, Select-IR-Scan, Capture-IR, Shift-IR; the PROM's
// eight bits least significant first, then six ones for the FPGA's BYPASS, the last
// into Exit1-IR; Update-IR, Run-Test/Idle.
void ChainInstructionScan(uint8_t promInstruction, PinVector out[CHAIN_SCAN_VECTORS]) {
  size_t n = 0;
  out[n++] = PIN_TMS;
  out[n++] = PIN_TMS;
  out[n++] = 0x00;
  out[n++] = 0x00;
  for (int i = 0; i < PROM_IR_LENGTH; ++i) out[n++] = (promInstruction >> i) & 1 ? PIN_TDI : 0x00;
  for (int i = 0; i < FPGA_IR_LENGTH; ++i) out[n++] = PIN_TDI;
  out[n - 1] = PIN_TDI | PIN_TMS;
  out[n++] = PIN_TMS;
  out[n++] = 0x00;
}

bool ExchangeVectors(AdapterLink& link, const PinVector* vectors, size_t count,
                     uint8_t* samples) {
  uint8_t bytes[SAMPLES_IN_FLIGHT];
  uint8_t ignored[SAMPLES_IN_FLIGHT];
  size_t perSlice = SAMPLES_IN_FLIGHT / 2;
  for (size_t first = 0; first < count; first += perSlice) {
    size_t n = count - first < perSlice ? count - first : perSlice;
    ExpandInto(vectors + first, n, bytes);
    uint32_t size = static_cast<uint32_t>(2 * n);
    if (LinkWrite(link, bytes, size) != ADAPTER_OK) return false;
    uint8_t* into = samples ? samples + 2 * first : ignored;
    if (LinkReadSamples(link, into, size, READ_BOUND_MS) != size) return false;
  }
  return true;
}

bool LoadPromInstruction(AdapterLink& link, uint8_t promInstruction) {
  PinVector scan[CHAIN_SCAN_VECTORS];
  ChainInstructionScan(promInstruction, scan);
  return ExchangeVectors(link, scan, CHAIN_SCAN_VECTORS, nullptr);
}

bool ReadPromBlocks(AdapterLink& link, DialogHost& host, const Part& prom, uint32_t blocks,
                    std::vector<uint8_t>* image) {
  const size_t blockBits = 8 * size_t{prom.blockBytes};
  image->assign(static_cast<size_t>(blocks) * prom.blockBytes, 0);
  std::vector<PinVector> data = DataScan(blockBits);
  std::vector<uint8_t> samples(2 * data.size());
  if (!LoadPromInstruction(link, PROM_ISC_ENABLE)) return false;
  for (uint32_t block = 0; block < blocks; ++block) {
    PinVector setup[CHAIN_SCAN_VECTORS + ADDRESS_SCAN_VECTORS + CHAIN_SCAN_VECTORS +
                    READ_IDLE_CLOCKS] = {};
    ChainInstructionScan(PROM_ISC_ADDRESS_SHIFT, setup);
    AddressScan(static_cast<uint16_t>(block * BLOCK_ADDRESS_STEP), setup + CHAIN_SCAN_VECTORS);
    ChainInstructionScan(PROM_ISC_READ, setup + CHAIN_SCAN_VECTORS + ADDRESS_SCAN_VECTORS);
    if (!ExchangeVectors(link, setup, TableSize(setup), nullptr) ||
        !ExchangeVectors(link, data.data(), data.size(), samples.data())) {
      return false;
    }
    uint8_t* out = image->data() + static_cast<size_t>(block) * prom.blockBytes;
    for (size_t bit = 0; bit < blockBits; ++bit) {
      if (samples[FIRST_DR_SAMPLE + 2 * bit] & PIN_TDO) {
        out[bit / 8] = static_cast<uint8_t>(out[bit / 8] | (0x80 >> (bit % 8)));
      }
    }
    host.SetReadBackProgress(block + 1, blocks);
  }
  return true;
}

bool LeavePromIsc(AdapterLink& link) {
  bool ok = LoadPromInstruction(link, PROM_ISC_DISABLE);
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

}  // namespace torvane
