#include "cli/prom_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "procedures/prom_check.h"

namespace torvane::cli {

bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes,
                        std::string* error) {
  std::string temporary = path + ".partial-XXXXXX";
  int descriptor = mkstemp(&temporary[0]);
  if (descriptor < 0) {
    *error = "cannot create a file beside '" + path + "'";
    return false;
  }
  // The permissions a plain new file would get, not the temporary file's private ones.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  std::FILE* out = fdopen(descriptor, "wb");
  bool good = out != nullptr;
  if (!out) close(descriptor);
  good = good && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  good = good && std::fflush(out) == 0 && fsync(fileno(out)) == 0;
  if (out && std::fclose(out) != 0) good = false;
  if (good && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  *error = "cannot write '" + path + "'";
  return false;
}

SaveResult SavePromImage(AppState& state, DialogHost& host, const std::string& path,
                         std::string* error) {
  std::vector<uint8_t> image;
  if (!ReadProm(state, host, &image)) {
    *error = "the PROM could not be read: nothing was written to '" + path + "'";
    return SaveResult::ReadFailed;
  }
  return WriteFileReplacing(path, image, error) ? SaveResult::Saved : SaveResult::WriteFailed;
}

}  // namespace torvane::cli
