#include "procedures/session.h"

#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"

namespace torvane {

IdentifyResult Reconnect(AppState& state, DialogHost& host) {
  LinkClose(state.link);
  return IdentifyChain(state, host);
}

DownloadResult DownloadIdentified(AppState& state, DialogHost& host) {
  switch (state.deviceMode) {
    case DEVICE_FPGA:
      return DownloadFpga(state, host);
    case DEVICE_PROM:
      return DownloadProm(state, host);
    case DEVICE_NONE:
      break;
  }
  host.ShowError(MessageOwner::Dialog, TEXT_INTERFACE_NOT_PRESENT);
  return DownloadResult::NotPresent;
}

DownloadResult DownloadIdentified(AppState& state, DialogHost& host, const BitFile& file) {
  switch (state.deviceMode) {
    case DEVICE_FPGA:
      return DownloadFpgaFrom(state, host, file);
    case DEVICE_PROM:
      return DownloadPromFrom(state, host, file);
    case DEVICE_NONE:
      break;
  }
  host.ShowError(MessageOwner::Dialog, TEXT_INTERFACE_NOT_PRESENT);
  return DownloadResult::NotPresent;
}

}  // namespace torvane
