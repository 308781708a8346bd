// Any bytes as the selected file of an FPGA download on a simulated XC3S200: the download
// must end with one box, leave the file closed, send no more bits than the file holds, and
// only call the configuration complete when the FPGA says DONE.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "fuzz/fuzz_support.h"
#include "procedures/download_fpga.h"
#include "procedures/identify.h"
#include "sim/board.h"
#include "sim/fpga.h"

using namespace torvane;

namespace {

int LowestFreeDescriptor() {
  int fd = dup(0);
  if (fd >= 0) close(fd);
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::WriteInput(data, size);
  if (path.empty() || path.size() >= PATH_CAPACITY) return 0;
  sim::Board board(sim::BoardKind::Xc3s200);
  AppState state;
  state.link.adapter = &board;
  std::snprintf(state.path, sizeof state.path, "%s", path.c_str());
  fuzz::CountingHost host;
  int freeBefore = LowestFreeDescriptor();
  IdentifyChain(state, host);
  if (state.deviceMode != DEVICE_FPGA) std::abort();

  DownloadResult result = DownloadFpga(state, host);
  if (host.messages != 1) std::abort();  // the verdict, or the one header box
  if (result == DownloadResult::Complete && !board.fpga()->done()) std::abort();
  if (result != DownloadResult::FileError && board.fpga()->configBitCount() > 8 * size + 1) {
    std::abort();  // more bits than the file holds, and the one exit bit
  }
  LinkClose(state.link);
  if (LowestFreeDescriptor() != freeBefore) std::abort();  // the file was left open
  return 0;
}
