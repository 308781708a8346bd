// Any bytes as the selected file of an FPGA download on a simulated XC3S200, fresh from
// power-on or already running an earlier design (the first input byte chooses): the
// download must end with one box, leave no file open, send no more bits than the file
// holds, and only call the configuration complete when the FPGA says DONE.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "fuzz/fuzz_support.h"
#include "procedures/download_fpga.h"
#include "sim/fpga.h"
#include "tools/make_bitstream.h"

using namespace torvane;

namespace {

int LowestFreeDescriptor() {
  int fd = dup(0);
  if (fd >= 0) close(fd);
  return fd;
}

// A short design the simulated XC3S200 starts with: a few frames, as short as a design
// that starts can be, so that the input's own download is most of each run.
const BitFile& EarlierDesign() {
  static const BitFile design = [] {
    BitstreamOptions options;
    options.dataSize = 400;
    options.seed = 5;
    std::vector<uint8_t> bytes = MakeBitFile(options);
    BitFile file;
    if (ParseBitFile(bytes.data(), bytes.size(), &file) != BitFileError::None) std::abort();
    return file;
  }();
  return design;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  bool running = (data[0] & 1) != 0;
  std::string path = fuzz::WriteInput(data + 1, size - 1);
  if (path.empty() || path.size() >= PATH_CAPACITY) return 0;
  fuzz::Session session(sim::BoardKind::Xc3s200, path);
  sim::Board& board = *session.board;
  if (session.state.deviceMode != DeviceMode::Fpga) std::abort();
  if (running) {
    if (DownloadFpgaFrom(session.state, session.host, EarlierDesign()) != DownloadResult::Complete ||
        !board.fpga()->done()) {
      std::abort();
    }
    session.host.messages = 0;
  }
  uint64_t bitsBefore = board.fpga()->configBitCount();
  size_t writesBefore = board.writeSizes().size();
  int freeBefore = LowestFreeDescriptor();

  DownloadResult result = DownloadFpga(session.state, session.host);
  if (session.host.messages != 1) std::abort();  // the verdict, or the one file box
  if (result == DownloadResult::Complete && !board.fpga()->done()) std::abort();
  if (result == DownloadResult::FileError && board.writeSizes().size() != writesBefore) {
    std::abort();  // a refused file reaches no adapter
  }
  if (board.fpga()->configBitCount() - bitsBefore > 8 * size + 1) {
    std::abort();  // more bits than the file holds, and the one exit bit
  }
  if (LowestFreeDescriptor() != freeBefore) std::abort();  // the file was left open
  LinkClose(session.state.link);
  return 0;
}
