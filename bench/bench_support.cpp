#include "bench/bench_support.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "link/vectors.h"
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

int ClearedFpgaNullAdapter::Purge(AdapterHandle handle, uint32_t mask) {
  if (mask & PURGE_RX) sample_ = 0;
  return NullAdapter::Purge(handle, mask);
}

int ClearedFpgaNullAdapter::Read(AdapterHandle handle, uint8_t* buffer, uint32_t count,
                                 uint32_t* read) {
  // Capture bit i shows in sample 9 + 2i of a status scan: 1, 0, 0, 0, INIT 1, DONE 0.
  constexpr uint8_t CLEARED_CAPTURE = 0x11;
  int status = NullAdapter::Read(handle, buffer, count, read);
  for (uint32_t i = 0; read && i < *read; ++i, ++sample_) {
    uint32_t bit = (sample_ - 9) / 2;
    if (sample_ >= 9 && (sample_ - 9) % 2 == 0 && bit < 6 && !((CLEARED_CAPTURE >> bit) & 1)) {
      buffer[i] = static_cast<uint8_t>(buffer[i] & ~PIN_TDO);
    }
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
