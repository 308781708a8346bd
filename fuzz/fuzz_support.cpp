#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace torvane::fuzz {

namespace {

// One file for the whole run, removed when the process ends normally.
class ScratchFile {
 public:
  ScratchFile()
      : path_((std::filesystem::temp_directory_path() /
               ("torvane_fuzz_" + std::to_string(static_cast<long>(getpid())) + ".bit"))
                  .string()) {}
  ~ScratchFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

std::string WriteInput(const uint8_t* data, size_t size) {
  static ScratchFile scratch;
  std::FILE* out = std::fopen(scratch.path().c_str(), "wb");
  if (out == nullptr) return std::string();
  bool ok = size == 0 || std::fwrite(data, 1, size, out) == size;
  ok = std::fclose(out) == 0 && ok;
  return ok ? scratch.path() : std::string();
}

}  // namespace torvane::fuzz
