#include "procedures/identify.h"

#include <cstdio>
#include <cstring>

#include "link/vectors.h"

namespace torvane {

namespace {

// Written raw: TMS high, TCK and TDI low, auxiliary lines D1 and D2 high.
constexpr uint8_t VEC_INIT_PINS = 0x0E;

// Eight TMS-high cycles reach Test-Logic-Reset; then Run-Test/Idle, Select-DR-Scan,
// Select-IR-Scan, Capture-IR, Shift-IR. Fourteen instruction bits follow, first-clocked
// first 0 1 1 1 1 1 1 1 1 0 0 1 0 0: the PROM nearest TDO takes 0xFE and the FPGA 0x09,
// both IDCODE (an FPGA alone keeps the last six, again 0x09). The last bit leaves for
// Exit1-IR; then Update-IR, Select-DR-Scan, Capture-DR, and the table ends in Shift-DR.
constexpr PinVector VEC_SELECT_IDCODE[31] = {
    0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x00, 0x08, 0x08, 0x00, 0x00, 0x00, 0x80, 0x80,
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00, 0x00, 0x80, 0x00, 0x08, 0x08, 0x08, 0x00, 0x00};

}  // namespace

uint32_t DecodeIdcode(const uint8_t samples[SAMPLE_BUFFER_SIZE]) {
  uint32_t code = 0;
  for (int k = 0; k < 32; ++k) {
    if (samples[2 * k + 1] == PIN_TDO) {
      code |= uint32_t{1} << k;
    }
  }
  return code;
}

Classification ClassifyIdcode(uint32_t idcode) {
  // An unknown device gets nothing: on another part the configuration's instructions
  // could be anything.
  Classification result{DeviceMode::None, FindPart(idcode), {}};
  if (result.part == nullptr) {
    std::snprintf(result.text, sizeof result.text, "JTAG : not found (%X)", idcode);
    return result;
  }
  result.mode = result.part->family == PartFamily::Fpga ? DeviceMode::Fpga : DeviceMode::Prom;
  std::snprintf(result.text, sizeof result.text, "%s", result.part->statusText);
  return result;
}

IdentifyResult IdentifyChain(AppState& state, DialogHost& host) {
  AdapterLink& link = state.link;
  int openStatus = LinkOpen(link);
  state.deviceMode = DeviceMode::None;
  state.part = nullptr;
  host.SetStatusLine(StatusLine::Usb,
                     openStatus == ADAPTER_OK ? "USB : Connected" : "USB : Not Connected");

  // Every step runs even when the open failed: the calls then fail, the samples stay
  // clear and the code reads 0.
  LinkSetUsbParameters(link, USB_TRANSFER_SIZE, 0);
  LinkSetBitMode(link, BITMODE_SYNC_BITBANG);

  LinkPurge(link, PURGE_RX);
  LinkWrite(link, &VEC_INIT_PINS, 1);
  LinkWait(link, SETTLE_MS);

  LinkPurge(link, PURGE_RX);
  SendVectors(link, MakeTable(VEC_SELECT_IDCODE));
  LinkWait(link, SETTLE_MS);

  {
    ExpandedBuffer idle = ExpandClocked(VEC_IDLE.vectors, VEC_IDLE.count);
    LinkPurge(link, PURGE_RX);
    if (idle) {
      LinkWrite(link, idle.get(), static_cast<uint32_t>(2 * VEC_IDLE.count));
    }
    LinkWait(link, SETTLE_MS);
  }

  // Cleared first, so that a sample the adapter did not deliver never reads as TDO high.
  uint8_t samples[SAMPLE_BUFFER_SIZE];
  std::memset(samples, 0, sizeof samples);
  LinkGetStatus(link);
  uint32_t wanted = link.rxQueued < SAMPLE_BUFFER_SIZE ? link.rxQueued : SAMPLE_BUFFER_SIZE;
  LinkRead(link, samples, wanted);
  LinkWait(link, SETTLE_MS);

  uint32_t idcode = DecodeIdcode(samples);
  LinkPurge(link, PURGE_RX);

  Classification found = ClassifyIdcode(idcode);
  host.SetStatusLine(StatusLine::Device, found.text);
  state.deviceMode = found.mode;
  state.part = found.part;
  return IdentifyResult{openStatus, idcode, found.mode, found.part != nullptr};
}

}  // namespace torvane
