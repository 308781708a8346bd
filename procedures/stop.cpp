#include "procedures/stop.h"

#include "link/vectors.h"

namespace torvane {

bool StopRequested(const AppState& state) {
  return state.stopRequested && state.stopRequested->load(std::memory_order_relaxed);
}

DownloadResult StopDownload(AdapterLink& link) {
  LinkWrite(link, &VEC_RELEASE, 1);
  return DownloadResult::Interrupted;
}

}  // namespace torvane
