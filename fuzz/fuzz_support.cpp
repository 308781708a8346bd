#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "procedures/identify.h"

namespace torvane::fuzz {

namespace {

// One directory for the whole run, removed when the process ends normally.
class ScratchDir {
 public:
  ScratchDir()
      : path_(std::filesystem::temp_directory_path() /
              ("torvane_fuzz_" + std::to_string(static_cast<long>(getpid())))) {
    std::error_code ignored;
    std::filesystem::create_directories(path_, ignored);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

std::string ScratchPath(const char* name) {
  static ScratchDir scratch;
  return (scratch.path() / name).string();
}

std::string WriteScratch(const char* name, const uint8_t* data, size_t size) {
  std::string path = ScratchPath(name);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return std::string();
  bool ok = size == 0 || std::fwrite(data, 1, size, out) == size;
  ok = std::fclose(out) == 0 && ok;
  return ok ? path : std::string();
}

Session::Session(sim::BoardKind kind, const std::string& path) : board(sim::MakeBoard(kind)) {
  state.link.adapter = board.get();
  if (path.size() < PATH_CAPACITY) {
    std::snprintf(state.path, sizeof state.path, "%s", path.c_str());
  }
  IdentifyChain(state, host);
}

}  // namespace torvane::fuzz
