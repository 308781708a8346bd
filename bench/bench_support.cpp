#include "bench/bench_support.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "link/vectors.h"
#include "procedures/fpga_status.h"
#include "procedures/identify.h"
#include "tools/make_bitstream.h"

namespace torvane::bench {

namespace {

// The files live as long as the process: written once, removed when it exits.
class ScratchFiles {
 public:
  ScratchFiles()
      : dir_(std::filesystem::temp_directory_path() /
             ("torvane_bench_" + std::to_string(static_cast<long>(getpid())))) {}
  ~ScratchFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

const char* FileName(BenchFile which) {
  switch (which) {
    case BenchFile::Xc3s200:
      return "xc3s200.bit";
    case BenchFile::Xc3s400:
      return "xc3s400.bit";
    case BenchFile::PromImage:
      return "prom_full.bit";
  }
  return "unknown.bit";
}

BitstreamOptions FileOptions(BenchFile which) {
  BitstreamOptions options;
  options.seed = 7;
  options.part = which == BenchFile::Xc3s200 ? BitPart::Xc3s200 : BitPart::Xc3s400;
  if (which == BenchFile::PromImage) options.dataSize = PROM_IMAGE_BYTES;
  return options;
}

}  // namespace

size_t BenchDataBytes(BenchFile which) {
  return which == BenchFile::PromImage ? PROM_IMAGE_BYTES : PartDataSize(FileOptions(which).part);
}

std::string BenchFilePath(BenchFile which) {
  static ScratchFiles scratch;
  std::filesystem::path path = scratch.dir() / FileName(which);
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    std::filesystem::create_directories(scratch.dir(), error);
    if (!WriteBitFile(path.string().c_str(), FileOptions(which))) return std::string();
  }
  return path.string();
}

int ClearedFpgaNullAdapter::Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count,
                                     uint8_t* samples, uint32_t boundMs, uint32_t* written,
                                     uint32_t* read) {
  // The capture's bits: 1, 0, 0, 0, INIT 1, DONE 0.
  constexpr uint8_t CLEARED_CAPTURE = 0x11;
  int status = NullAdapter::Exchange(handle, data, count, samples, boundMs, written, read);
  std::vector<PinVector> scan;
  ScanPlace place = AppendStatusScan(&scan, FpgaChain::Alone, 0);
  size_t start = 2 * scan.size();
  if (samples == nullptr || *read < start) return status;
  for (size_t bit = 0; bit < place.registerBits; ++bit) {
    size_t at = *read - start + place.firstSample + 2 * bit;
    if (!((CLEARED_CAPTURE >> bit) & 1)) samples[at] = static_cast<uint8_t>(samples[at] & ~PIN_TDO);
  }
  return status;
}

void PrepareState(AppState& state, Adapter& adapter, const std::string& path, DialogHost& host) {
  state = AppState{};
  state.link.adapter = &adapter;
  std::snprintf(state.path, sizeof state.path, "%s", path.c_str());
  IdentifyChain(state, host);
}

}  // namespace torvane::bench
