#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

#include "procedures/identify.h"

namespace torvane::fuzz {

namespace {

// Where the scratch directory goes: in memory where the system has a file system there,
// since every input is written as a file, and a disk's file system spends more on that
// than a run on the board takes.
std::filesystem::path ScratchRoot() {
  std::error_code error;
  if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

// One directory for the whole run, removed when the process ends normally.
class ScratchDir {
 public:
  ScratchDir()
      : path_(ScratchRoot() / ("torvane_fuzz_" + std::to_string(static_cast<long>(getpid())))) {
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

Session::Session(sim::BoardKind kind, const std::string& path) {
  static std::map<sim::BoardKind, std::unique_ptr<sim::Board>> boards;
  std::unique_ptr<sim::Board>& plugged = boards[kind];
  if (plugged) {
    plugged->Replug();
  } else {
    plugged = sim::MakeBoard(kind);
  }
  board = plugged.get();
  state.link.adapter = board;
  if (path.size() < PATH_CAPACITY) {
    std::snprintf(state.path, sizeof state.path, "%s", path.c_str());
  }
  IdentifyChain(state, host);
}

}  // namespace torvane::fuzz
