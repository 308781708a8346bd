#include "bitfile/whole_file.h"

#include <sys/stat.h>

#include <cstdio>

namespace torvane {
namespace {

// The whole file as it is now, up to the size it had when it was opened: a file that
// keeps growing must not keep the read going.
bool ReadUpTo(std::FILE* stream, uint64_t size, std::vector<uint8_t>* bytes) {
  bytes->resize(static_cast<size_t>(size));
  size_t got = size == 0 ? 0 : std::fread(bytes->data(), 1, bytes->size(), stream);
  if (std::ferror(stream)) return false;
  bytes->resize(got);  // shorter when the file shrank while it was read
  return true;
}

}  // namespace

WholeFileError ReadWholeFile(const char* path, uint64_t maxBytes, std::vector<uint8_t>* bytes,
                             FileIdentity* identity) {
  bytes->clear();
  *identity = FileIdentity{};
  // Checked before opening as well as after: opening a pipe for reading waits for a writer.
  struct stat info {};
  if (path == nullptr || path[0] == '\0' || stat(path, &info) != 0 || !S_ISREG(info.st_mode)) {
    return WholeFileError::NotFound;
  }
  std::FILE* stream = std::fopen(path, "rb");
  if (stream == nullptr) return WholeFileError::NotFound;
  // The path may have been replaced between the two calls; trust only the open stream.
  if (fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    std::fclose(stream);
    return WholeFileError::NotFound;
  }
  uint64_t size = static_cast<uint64_t>(info.st_size);
  if (size > maxBytes) {
    std::fclose(stream);
    return WholeFileError::TooLarge;
  }
  bool read = ReadUpTo(stream, size, bytes);
  FileIdentity found = IdentifyStream(stream);
  found.path = path;
  std::fclose(stream);
  if (!read) {
    bytes->clear();
    return WholeFileError::NotFound;
  }
  *identity = found;
  return WholeFileError::None;
}

}  // namespace torvane
