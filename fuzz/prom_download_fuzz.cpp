// Any bytes as the file of a PROM download, into a PROM holding an earlier design, with a
// write that fails, a cable pulled or a status query that fails at any point. The first
// four input bytes choose: the earlier design's byte, the fault, and the write it strikes
// (big-endian, counted from the first write of the download); the rest is the file.
// The oracle is the flash itself: the PROM holds exactly the file's data padded with 0xFF,
// or the verdict is FAILED; a refused file leaves the PROM as it was.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "procedures/download_prom.h"
#include "sim/prom.h"

using namespace torvane;

namespace {

constexpr size_t CHOICE_BYTES = 4;

enum class Fault { None, FailingWrite, PulledCable, FailingStatus };
constexpr uint8_t FAULT_KINDS = 4;

// Whether all `size` bytes at `bytes` are `value`: each byte equals the one after it.
bool AllBytes(const uint8_t* bytes, size_t size, uint8_t value) {
  return size == 0 || (bytes[0] == value && std::memcmp(bytes, bytes + 1, size - 1) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < CHOICE_BYTES) return 0;
  uint8_t earlier = data[0];
  Fault fault = static_cast<Fault>(data[1] % FAULT_KINDS);
  uint32_t at = 1 + ((uint32_t{data[2]} << 8) | data[3]);
  const uint8_t* fileBytes = data + CHOICE_BYTES;
  size_t fileSize = size - CHOICE_BYTES;
  std::string path = fuzz::WriteInput(fileBytes, fileSize);
  if (path.empty() || path.size() >= PATH_CAPACITY) return 0;

  fuzz::Session session(sim::BoardKind::Prom200, path);
  sim::Board& board = *session.board;
  if (session.state.deviceMode != DeviceMode::Prom) std::abort();
  board.prom()->Fill(earlier);
  uint32_t writesBefore = static_cast<uint32_t>(board.writeSizes().size());
  switch (fault) {
    case Fault::FailingWrite:
      board.faults().failWriteFrom = writesBefore + at;
      break;
    case Fault::PulledCable:
      board.faults().unplugAfterWrites = writesBefore + at;
      break;
    case Fault::FailingStatus:
      board.faults().failStatus = true;
      break;
    case Fault::None:
      break;
  }

  DownloadResult result = DownloadProm(session.state, session.host);
  if (session.host.messages != 1) std::abort();  // the verdict, or the one file box
  const std::vector<uint8_t>& memory = board.prom()->memory();
  if (result == DownloadResult::FileError) {
    bool untouched = AllBytes(memory.data(), memory.size(), earlier);
    if (!untouched || board.writeSizes().size() != writesBefore) std::abort();
    return 0;
  }
  if (result == DownloadResult::Complete) {
    BitFile file;
    if (ParseBitFile(fileBytes, fileSize, &file) != BitFileError::None) std::abort();
    const size_t n = file.data.size();
    if (n > memory.size() || !std::equal(file.data.begin(), file.data.end(), memory.begin()) ||
        !AllBytes(memory.data() + n, memory.size() - n, 0xFF)) {
      std::abort();
    }
    if (fault == Fault::FailingStatus) std::abort();  // no answer from the adapter is no success
  }
  LinkClose(session.state.link);
  return 0;
}
