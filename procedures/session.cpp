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
    case DeviceMode::Fpga:
      return DownloadFpga(state, host);
    case DeviceMode::Prom:
      return DownloadProm(state, host);
    case DeviceMode::None:
      break;
  }
  return ShowNotPresent(host);
}

DownloadResult ShowNotPresent(DialogHost& host) {
  host.ShowError(MessageOwner::Dialog, TEXT_INTERFACE_NOT_PRESENT);
  return DownloadResult::NotPresent;
}

}  // namespace torvane
