#include "bitfile/file_identity.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

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

bool PathNamesFile(const std::string& path, const FileIdentity& file) {
  FileIdentity other = IdentifyPath(path);
  if (file.known && other.known) {
    return other.device == file.device && other.inode == file.inode;
  }
  // Without inode numbers (Windows) the standard library asks the file system whether two
  // names are one file, by its own file index.
  std::error_code error;
  return !file.path.empty() && !path.empty() &&
         std::filesystem::equivalent(path, file.path, error) && !error;
}

}  // namespace torvane
