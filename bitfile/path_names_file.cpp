// Apart from the identity itself: the comparison falls back on the standard library's
// file-system support, which only the programs that compare outputs with inputs need.
#include <filesystem>
#include <system_error>

#include "bitfile/file_identity.h"

namespace torvane {

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
