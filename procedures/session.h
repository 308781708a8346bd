// The session layer: the steps a front-end's commands stand for, sequenced once for every
// front-end. Connect closes the cable and identifies the chain again; Download runs what
// the last identification chose.
#pragma once

#include "procedures/app_state.h"
#include "procedures/dialog_host.h"
#include "procedures/identify.h"

namespace torvane {

// Closes the handle, even when the last open failed (the driver answers for a stale
// handle), then identifies the chain.
IdentifyResult Reconnect(AppState& state, DialogHost& host);

// Configures the FPGA or programs the PROM, as DeviceMode says. With no mode (nothing has
// been identified yet) it shows "Interface not present !" and returns NotPresent.
// The selected path is loaded first, its refusal shown as a box.
DownloadResult DownloadIdentified(AppState& state, DialogHost& host);
// Nothing was identified to download to: shows "Interface not present !" and returns
// NotPresent.
DownloadResult ShowNotPresent(DialogHost& host);

}  // namespace torvane
