#include "cli/prom_file.h"

#include <cstdio>

#include "cli/output_file.h"
#include "procedures/prom_check.h"

namespace torvane::cli {

SaveResult SavePromImage(AppState& state, DialogHost& host, const std::string& path,
                         std::string* error) {
  // Refused before the read (a FIFO, a device), and written beside the name, renamed into
  // place only once whole.
  OutputFile out;
  if (!out.Open(path, "PROM image", error)) return SaveResult::WriteFailed;
  std::vector<uint8_t> image;
  DownloadResult read = ReadProm(state, host, &image);
  if (read != DownloadResult::Complete) {
    *error = "the PROM could not be read: nothing was written to '" + path + "'";
    return read == DownloadResult::Interrupted ? SaveResult::Interrupted : SaveResult::ReadFailed;
  }
  if (std::fwrite(image.data(), 1, image.size(), out.stream()) != image.size() ||
      !out.Commit(error)) {
    if (error->empty()) *error = "cannot write '" + path + "'";
    return SaveResult::WriteFailed;
  }
  return SaveResult::Saved;
}

}  // namespace torvane::cli
