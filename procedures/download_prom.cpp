#include "procedures/download_prom.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "link/vectors.h"
#include "procedures/load_file.h"
#include "procedures/parts.h"
#include "procedures/prom_check.h"
#include "procedures/prom_readback.h"
#include "procedures/stop.h"

namespace torvane {

namespace {

// Every instruction scan shifts the PROM's eight bits first (they travel furthest, to the
// device nearest TDO) and the FPGA's BYPASS (0x3F) last, so the FPGA's one-bit bypass
// register sits in front of the PROM in every data scan.

// Eight TMS-high cycles reach Test-Logic-Reset; Run-Test/Idle; ends at Select-DR-Scan.
constexpr PinVector VEC_TAP_RESET[10] = {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x00, 0x08};

// Select-IR-Scan, Capture-IR, Shift-IR; ISC_ENABLE (0xE8) and BYPASS; Exit1-IR, Update-IR,
// ending at Select-DR-Scan.
constexpr PinVector VEC_ISC_ENABLE[19] = {0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x80, 0x80,
                                          0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x88, 0x08, 0x08};

// As above with ISC_ADDRESS_SHIFT (0xEB); ends at Select-DR-Scan.
constexpr PinVector VEC_ADDRESS_SHIFT[19] = {0x08, 0x00, 0x00, 0x80, 0x80, 0x00, 0x80, 0x00, 0x80, 0x80,
                                             0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x88, 0x08, 0x08};

// Capture-DR, Shift-DR; 17 bits, first-clocked first 1 and sixteen zeros: the PROM's
// address register takes 0x0001 and the FPGA's bypass bit 0; Exit1-DR, Update-DR, ending
// at Select-DR-Scan.
constexpr PinVector VEC_ADDRESS_0001[21] = {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x08, 0x08};

// ISC_ERASE (0xEC) from Select-DR-Scan; ends in Run-Test/Idle, where the erase takes its clocks.
constexpr PinVector VEC_ISC_ERASE[19] = {0x08, 0x00, 0x00, 0x00, 0x00, 0x80, 0x80, 0x00, 0x80, 0x80,
                                         0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x88, 0x08, 0x00};

// From Run-Test/Idle: Select-DR-Scan, Select-IR-Scan, ...; ISC_DISABLE (0xF0); ends in
// Run-Test/Idle.
constexpr PinVector VEC_ISC_DISABLE[20] = {0x08, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x80,
                                           0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x88, 0x08, 0x00};

// ISC_DATA_SHIFT (0xED) from Select-DR-Scan; Update-IR, Select-DR-Scan, Capture-DR,
// ending in Shift-DR, where the block's bits follow (4096, or 2048 in an XCF01S).
constexpr PinVector VEC_DATA_SHIFT[21] = {0x08, 0x00, 0x00, 0x80, 0x00, 0x80, 0x80, 0x00, 0x80, 0x80, 0x80,
                                          0x80, 0x80, 0x80, 0x80, 0x80, 0x88, 0x08, 0x08, 0x00, 0x00};

// From Shift-DR: one last 0 bit (into the FPGA's bypass) and Exit1-DR; Pause-DR for nine
// cycles; Exit2-DR, Update-DR; then ISC_ADDRESS_SHIFT (0xEB), ending at Select-DR-Scan.
constexpr PinVector VEC_DATA_TO_ADDRESS[32] = {
    0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x08, 0x08, 0x08, 0x00, 0x00,
    0x80, 0x80, 0x00, 0x80, 0x00, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x88, 0x08, 0x08};

// Select-DR-Scan to Capture-DR to Shift-DR.
constexpr PinVector VEC_ENTER_SHIFT_DR[2] = {0x00, 0x00};

// From Shift-DR: one last 0 bit and Exit1-DR; Pause-DR for twelve cycles; Exit2-DR,
// Update-DR; ends in Run-Test/Idle.
constexpr PinVector VEC_ADDRESS_EXIT[16] = {0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                            0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x08, 0x00};

// From Run-Test/Idle: ISC_PROGRAM (0xEA); ends in Run-Test/Idle, where programming takes
// its clocks.
constexpr PinVector VEC_ISC_PROGRAM[20] = {0x08, 0x08, 0x00, 0x00, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80,
                                           0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x88, 0x08, 0x00};

// Run-Test/Idle to Select-DR-Scan.
constexpr PinVector VEC_TO_SELECT_DR[1] = {0x08};

// From Select-DR-Scan, the resting state between blocks: ISC_DISABLE as in VEC_ISC_DISABLE
// without its first step, so Run-Test/Idle is not passed while a program instruction is
// still current; ends in Run-Test/Idle.
constexpr VectorTable ISC_DISABLE_FROM_SELECT_DR = {VEC_ISC_DISABLE + 1,
                                                    TableSize(VEC_ISC_DISABLE) - 1};

// From Select-DR-Scan: the finishing instruction 0x0A; ends in Run-Test/Idle.
constexpr PinVector VEC_FINISH[19] = {0x08, 0x00, 0x00, 0x00, 0x80, 0x00, 0x80, 0x00, 0x00, 0x00,
                                      0x00, 0x80, 0x80, 0x80, 0x80, 0x80, 0x88, 0x08, 0x00};

constexpr uint32_t PROGRESS_PHASE = 25;
constexpr int IDLE_AFTER_PROGRAM = 5;

// 24,000 clocks in Run-Test/Idle as 750 separate writes: on a real cable each write costs
// USB time, and that time is what the flash needs to erase or finish.
void RunWait(AdapterLink& link, DialogHost& host, uint32_t firstPosition) {
  ExpandedBuffer idle = ExpandClocked(VEC_IDLE.vectors, VEC_IDLE.count);
  for (uint32_t i = 0; i < WAIT_WRITES; ++i) {
    if (idle) LinkWrite(link, idle.get(), static_cast<uint32_t>(2 * VEC_IDLE.count));
    host.SetProgressPos(firstPosition + i * PROGRESS_PHASE / WAIT_WRITES);
  }
}

void SendTables(AdapterLink& link, std::initializer_list<VectorTable> tables) {
  for (const VectorTable& table : tables) SendVectors(link, table);
}

// The block address enters least significant bit first: high byte then low byte as
// vectors, clocked out from the last one back.
void SendBlockAddress(AdapterLink& link, uint16_t address) {
  PinVector vectors[16];
  ByteToVectors(static_cast<uint8_t>(address >> 8), &vectors[0]);
  ByteToVectors(static_cast<uint8_t>(address & 0xFF), &vectors[8]);
  ExpandedBuffer buffer = ExpandClockedReversed(vectors, 16);
  if (buffer) LinkWrite(link, buffer.get(), 32);
}

// A stop between blocks: the PROM leaves programming mode (a flash left in it does not
// configure the FPGA at power-up), with the same idle clocks as when the erase leaves it,
// and the TAP goes back to reset.
DownloadResult StopBetweenBlocks(AdapterLink& link) {
  SendVectors(link, ISC_DISABLE_FROM_SELECT_DR);
  for (uint32_t i = 0; i < WAIT_WRITES; ++i) SendVectors(link, VEC_IDLE);
  SendVectors(link, MakeTable(VEC_TAP_RESET));
  return StopDownload(link);
}

}  // namespace

DownloadResult DownloadProm(AppState& state, DialogHost& host) {
  BitFile file;
  if (!LoadFileForDownload(state.path, host, &file)) {
    return DownloadResult::FileError;
  }
  return DownloadPromFrom(state, host, file);
}

DownloadResult DownloadPromFrom(AppState& state, DialogHost& host, const BitFile& file) {
  uint16_t blockAddress = 0x0000;
  const std::vector<uint8_t>& data = file.data;
  const Part& prom = PromFor(state.part);
  // The blocks as programmed, also for the read-back: one more block of 0xFF after data
  // that ends on a block boundary, as a reader that notices the end of the file only by
  // meeting it would. More data than the flash holds would be programmed past its end,
  // over wrapped addresses: refused here, before the PROM is erased.
  std::vector<uint8_t> written;
  if (!PromImageOrRefuse(prom, host, data, &written)) return DownloadResult::FileError;
  uint64_t totalSize = TotalSize(file) > 0 ? TotalSize(file) : 1;

  AdapterLink& link = state.link;
  if (StopRequested(state)) return StopDownload(link);
  uint32_t failedBefore = link.failedWrites;
  LinkSetBaudRate(link, DOWNLOAD_BAUD_RATE);
  LinkSetBitMode(link, BITMODE_ASYNC_BITBANG);

  // Erase, then leave programming mode and come back, as the flash requires.
  SendTables(link, {MakeTable(VEC_TAP_RESET), MakeTable(VEC_ISC_ENABLE),
                    MakeTable(VEC_ADDRESS_SHIFT), MakeTable(VEC_ADDRESS_0001),
                    MakeTable(VEC_ISC_ERASE)});
  host.SetProgressRange(0, 100);
  RunWait(link, host, 0);
  SendVectors(link, MakeTable(VEC_ISC_DISABLE));
  RunWait(link, host, PROGRESS_PHASE);
  SendTables(link, {MakeTable(VEC_TAP_RESET), MakeTable(VEC_ISC_ENABLE)});

  std::vector<PinVector> vectors(8 * size_t{prom.blockBytes});
  for (size_t first = 0; first < written.size(); first += prom.blockBytes) {
    if (StopRequested(state)) return StopBetweenBlocks(link);
    SendVectors(link, MakeTable(VEC_DATA_SHIFT));
    for (size_t i = 0; i < prom.blockBytes; ++i) {
      ByteToVectors(written[first + i], &vectors[8 * i]);
    }
    SendVectors(link, vectors.data(), vectors.size());
    uint64_t offset = file.dataOffset + std::min(data.size(), first + prom.blockBytes);
    state.lastReportedOffset = static_cast<uint32_t>(offset);
    host.SetProgressPos(2 * PROGRESS_PHASE + static_cast<uint32_t>(offset * PROGRESS_PHASE /
                                                                   totalSize));
    SendTables(link, {MakeTable(VEC_DATA_TO_ADDRESS), MakeTable(VEC_ENTER_SHIFT_DR)});
    SendBlockAddress(link, blockAddress);
    blockAddress = static_cast<uint16_t>(blockAddress + BLOCK_ADDRESS_STEP);
    SendTables(link, {MakeTable(VEC_ADDRESS_EXIT), VEC_IDLE, MakeTable(VEC_ISC_PROGRAM)});
    for (int i = 0; i < IDLE_AFTER_PROGRAM; ++i) SendVectors(link, VEC_IDLE);
    SendVectors(link, MakeTable(VEC_TO_SELECT_DR));
  }

  SendTables(link, {MakeTable(VEC_ADDRESS_SHIFT), MakeTable(VEC_ADDRESS_0001),
                    MakeTable(VEC_FINISH)});
  RunWait(link, host, 3 * PROGRESS_PHASE);
  SendVectors(link, MakeTable(VEC_TAP_RESET));
  // A refused write leaves the flash erased or half programmed, however the adapter
  // answers now.
  PromCause cause = link.failedWrites != failedBefore ? PromCause::WriteFailed : PromCause::None;
  return CheckPromAfterDownload(state, host, written, cause);
}

}  // namespace torvane
