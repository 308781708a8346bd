#include "link/jtag_scan.h"

namespace torvane {

namespace {

constexpr int RESET_CLOCKS = 5;

// TMS from where the scan starts to Select-DR-Scan.
void WalkToSelectDr(std::vector<PinVector>* out, TapStart from, PinVector held) {
  PinVector tms = static_cast<PinVector>(PIN_TMS | held);
  switch (from) {
    case TapStart::Unknown:
      for (int i = 0; i < RESET_CLOCKS; ++i) out->push_back(tms);
      [[fallthrough]];
    case TapStart::TestLogicReset:
      out->push_back(held);  // Run-Test/Idle
      [[fallthrough]];
    case TapStart::RunTestIdle:
      out->push_back(tms);  // Select-DR-Scan
      break;
  }
}

// The shift itself, from the Shift state its first vector finds the TAP in: `count` bits
// from `bit`, the last into Exit1 with TMS; then Update and Run-Test/Idle.
template <typename BitFn>
ScanPlace Shift(std::vector<PinVector>* out, size_t count, size_t padBits, size_t registerBits,
                BitFn bit, PinVector held) {
  ScanPlace place{2 * out->size() + 1, padBits, registerBits};
  for (size_t i = 0; i + 1 < count; ++i) {
    out->push_back(static_cast<PinVector>((bit(i) ? PIN_TDI : 0) | held));
  }
  AppendLeaveShift(out, bit(count - 1), held);
  return place;
}

// Select-DR-Scan to Capture-DR to Shift-DR.
void WalkToShiftDr(std::vector<PinVector>* out, TapStart from, PinVector held) {
  WalkToSelectDr(out, from, held);
  out->push_back(held);  // Capture-DR
  out->push_back(held);  // Shift-DR
}

size_t IrBits(const ScanChain& chain, size_t first, size_t end) {
  size_t bits = 0;
  for (size_t i = first; i < end; ++i) bits += chain.irLengths[i];
  return bits;
}

}  // namespace

ScanPlace AppendIrScan(std::vector<PinVector>* out, TapStart from, const ScanChain& chain,
                       uint32_t instruction, PinVector held) {
  if (chain.count == 0 || chain.count > MAX_SCAN_DEVICES || chain.target >= chain.count) {
    return ScanPlace{2 * out->size() + 1, 0, 0};  // no instruction register to scan
  }
  WalkToSelectDr(out, from, held);
  out->push_back(static_cast<PinVector>(PIN_TMS | held));  // Select-IR-Scan
  out->push_back(held);                                    // Capture-IR
  out->push_back(held);                                    // Shift-IR
  // The first bits clocked travel furthest: the devices nearer TDO take theirs first.
  size_t before = IrBits(chain, chain.target + 1, chain.count);
  size_t length = chain.irLengths[chain.target];
  size_t total = IrBits(chain, 0, chain.count);
  auto bit = [&](size_t i) {
    return i < before || i >= before + length || ((instruction >> (i - before)) & 1) != 0;
  };
  return Shift(out, total, before, length, bit, held);
}

ScanPlace AppendDrScan(std::vector<PinVector>* out, TapStart from, const ScanChain& chain,
                       size_t bits, uint64_t value, bool fill, DrScan kind, PinVector held) {
  bool devices = chain.count > 0 && chain.count <= MAX_SCAN_DEVICES && chain.target < chain.count;
  // One BYPASS bit for each device nearer TDO, ahead of the register, and for each nearer
  // TDI behind it, when the register is to keep what is shifted in.
  size_t before = devices ? chain.count - 1 - chain.target : 0;
  size_t after = devices && kind == DrScan::Load ? chain.target : 0;
  if (bits == 0) return ScanPlace{2 * out->size() + 1, before, 0};
  WalkToShiftDr(out, from, held);
  auto bit = [&](size_t i) {
    if (i < before || i >= before + bits) return false;
    size_t k = i - before;
    return k < 64 ? ((value >> k) & 1) != 0 : fill;
  };
  return Shift(out, before + bits + after, before, bits, bit, held);
}

void AppendEnterShiftDr(std::vector<PinVector>* out, TapStart from, PinVector held) {
  WalkToShiftDr(out, from, held);
}

void AppendLeaveShift(std::vector<PinVector>* out, bool bit, PinVector held) {
  out->push_back(static_cast<PinVector>((bit ? PIN_TDI : 0) | PIN_TMS | held));  // Exit1
  out->push_back(static_cast<PinVector>(PIN_TMS | held));  // Update
  out->push_back(held);                                    // Run-Test/Idle
}

void AppendIdle(std::vector<PinVector>* out, size_t clocks, PinVector held) {
  out->insert(out->end(), clocks, held);
}

bool ScanComplete(const ScanPlace& place, size_t count) {
  size_t bits = place.padBits + place.registerBits;
  return bits == 0 || place.firstSample + 2 * (bits - 1) < count;
}

uint64_t ScanBits(const ScanPlace& place, const uint8_t* samples, size_t count, size_t first,
                  size_t n) {
  uint64_t bits = 0;
  for (size_t k = 0; k < n && k < 64; ++k) {
    size_t at = place.firstSample + 2 * (first + k);
    if (at < count && (samples[at] & PIN_TDO)) bits |= uint64_t{1} << k;
  }
  return bits;
}

void ScanRegisterBytes(const ScanPlace& place, const uint8_t* samples, uint8_t* out,
                       size_t bytes) {
  const uint8_t* bit = samples + place.firstSample + 2 * place.padBits;
  for (size_t i = 0; i < bytes; ++i, bit += 16) {
    uint8_t byte = 0;
    for (size_t k = 0; k < 8; ++k) {
      byte = static_cast<uint8_t>(byte << 1 | ((bit[2 * k] & PIN_TDO) != 0 ? 1 : 0));
    }
    out[i] = byte;
  }
}

void EnterScanMode(AdapterLink& link) {
  LinkSetBitMode(link, BITMODE_SYNC_BITBANG);
  LinkSetLatencyTimer(link, LOW_LATENCY_MS);
  LinkPurge(link, PURGE_RX);
}

int ExchangeScan(AdapterLink& link, const std::vector<PinVector>& vectors,
                 std::vector<uint8_t>* samples) {
  std::vector<uint8_t> bytes(2 * vectors.size());
  ExpandInto(vectors.data(), vectors.size(), bytes.data());
  samples->assign(bytes.size(), 0);
  return LinkExchange(link, bytes.data(), static_cast<uint32_t>(bytes.size()), samples->data(),
                      READ_BOUND_MS);
}

}  // namespace torvane
