#include "cli/prom_file.h"

#include <cctype>
#include <cstdio>

#include "bitfile/config_data.h"
#include "cli/output_file.h"
#include "procedures/prom_check.h"

namespace torvane::cli {

namespace {

// Whether `path` ends in .mcs, in any case.
bool AsksForPromFile(const std::string& path) {
  const std::string suffix = ".mcs";
  if (path.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    char c = path[path.size() - suffix.size() + i];
    if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
  }
  return true;
}

}  // namespace

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
  // The PROM holds the data in the .bit's order, which is what the PROM file form takes.
  const std::string bytes = AsksForPromFile(path)
                                ? FormatPromFile(image.data(), image.size())
                                : std::string(image.begin(), image.end());
  if (std::fwrite(bytes.data(), 1, bytes.size(), out.stream()) != bytes.size() ||
      !out.Commit(error)) {
    if (error->empty()) *error = "cannot write '" + path + "'";
    return SaveResult::WriteFailed;
  }
  return SaveResult::Saved;
}

}  // namespace torvane::cli
