#include "bitfile/file_identity.h"

#include <sys/stat.h>

namespace torvane {
namespace {

// Systems without inode numbers report 0 for every file: such an identity tells nothing.
FileIdentity FromStat(const struct stat& info) {
  FileIdentity identity;
  identity.known = info.st_ino != 0;
  identity.device = static_cast<uint64_t>(info.st_dev);
  identity.inode = static_cast<uint64_t>(info.st_ino);
  return identity;
}

}  // namespace

FileIdentity IdentifyPath(const std::string& path) {
  struct stat info {};
  if (path.empty() || stat(path.c_str(), &info) != 0) return FileIdentity{};
  return FromStat(info);
}

FileIdentity IdentifyStream(std::FILE* stream) {
  struct stat info {};
  if (stream == nullptr || fstat(fileno(stream), &info) != 0) return FileIdentity{};
  return FromStat(info);
}

}  // namespace torvane
