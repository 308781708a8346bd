// The one builder of JTAG scans and the one reader of what they shift out: an instruction
// or data scan from the TAP state it starts in to Run-Test/Idle, the chain's other devices
// padded in BYPASS, as pin vectors; and the addressed device's bits taken back from the
// samples of a synchronous exchange.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/adapter_link.h"
#include "link/vectors.h"

namespace torvane {

// Where the TAP is when a scan starts.
enum class TapStart {
  Unknown,  // anywhere: five TMS-high clocks reach Test-Logic-Reset first
  TestLogicReset,
  RunTestIdle,
};

constexpr size_t MAX_SCAN_DEVICES = 8;

// The chain as a scan sees it: each device's instruction register length, TDI side
// first, and the device the scan addresses. With no devices the chain is one register of
// unknown make-up, shifted as it is.
struct ScanChain {
  uint8_t irLengths[MAX_SCAN_DEVICES];
  size_t count;
  size_t target;
};

// How a data scan treats the devices between the addressed one and TDI.
enum class DrScan {
  Load,     // every bit shifted: the addressed register holds the value at Update-DR
  Capture,  // the shift stops once the addressed register's last bit has come out
};

// Where a scan's bits show in the samples of the vectors it was appended to (sample j is
// the lines just before byte j of their expansion: TDO after vector j / 2's falling edge).
// The bits come out `padBits` of the devices nearer TDO first, then the addressed register.
struct ScanPlace {
  size_t firstSample;   // the sample that shows the first bit out
  size_t padBits;
  size_t registerBits;  // the addressed register's length; the whole shift with no devices
};

// An instruction scan: the addressed device takes `instruction` (least significant bit
// first), every other device BYPASS (all ones). The last bit goes with TMS; Update-IR,
// Run-Test/Idle. Every vector is ORed with `held`, lines kept high throughout.
ScanPlace AppendIrScan(std::vector<PinVector>* out, TapStart from, const ScanChain& chain,
                       uint32_t instruction, PinVector held = 0);

// A data scan of the addressed device's `bits`-bit register: its bit i shifted in from bit
// i of `value` (bits from 64 on from `fill`), each other device's BYPASS bit 0. The last
// bit goes with TMS; Update-DR, Run-Test/Idle.
ScanPlace AppendDrScan(std::vector<PinVector>* out, TapStart from, const ScanChain& chain,
                       size_t bits, uint64_t value, bool fill, DrScan kind, PinVector held = 0);

// The walk into Shift-DR, left open for a stream of bits the caller shifts itself (TMS
// low), such as configuration data.
void AppendEnterShiftDr(std::vector<PinVector>* out, TapStart from, PinVector held = 0);
// Ends a shift left open: `bit` shifted with TMS into Exit1; Update, Run-Test/Idle.
void AppendLeaveShift(std::vector<PinVector>* out, bool bit, PinVector held = 0);

// Clocks in Run-Test/Idle.
void AppendIdle(std::vector<PinVector>* out, size_t clocks, PinVector held = 0);

// The addressed register's bit `index` (0: the first out), from `samples`; the caller
// has checked that ScanComplete holds.
inline bool RegisterBit(const ScanPlace& place, const uint8_t* samples, size_t index) {
  return (samples[place.firstSample + 2 * (place.padBits + index)] & PIN_TDO) != 0;
}
// Every sample of the scan's bits is among the first `count`.
bool ScanComplete(const ScanPlace& place, size_t count);
// `n` (at most 64) bits out of the scan from bit `first` (0: the first pad bit), the
// first out in bit 0; a bit whose sample is not among the first `count` reads 0.
uint64_t ScanBits(const ScanPlace& place, const uint8_t* samples, size_t count, size_t first,
                  size_t n);
// The addressed register (its first 64 bits), the first out in bit 0.
inline uint64_t ScanRegister(const ScanPlace& place, const uint8_t* samples, size_t count) {
  return ScanBits(place, samples, count, place.padBits,
                  place.registerBits < 64 ? place.registerBits : 64);
}

// The addressed register's first 8 * `bytes` bits into `out`, each byte's first bit out in
// its most significant bit (the order a byte's vectors shift in); the caller has checked
// that ScanComplete holds.
void ScanRegisterBytes(const ScanPlace& place, const uint8_t* samples, uint8_t* out,
                       size_t bytes);

// What every scan runs in: synchronous bit-bang, the latency timer low so that a partial
// packet of samples comes at once, and no samples left from before.
void EnterScanMode(AdapterLink& link);

// Expands `vectors` and streams them through the link (LinkExchange), their 2 samples per
// vector into `samples`, resized to hold them, each read bounded by READ_BOUND_MS; returns
// the exchange's status.
int ExchangeScan(AdapterLink& link, const std::vector<PinVector>& vectors,
                 std::vector<uint8_t>* samples);

}  // namespace torvane
