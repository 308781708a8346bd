// Which file a name or an open stream leads to, as the file system tells it: the device
// and inode. Two names that lead to the same pair are one file, through any hard or
// symbolic link.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace torvane {

struct FileIdentity {
  bool known = false;  // false: nothing is there, or the system gives no inode numbers
  uint64_t device = 0;
  uint64_t inode = 0;
  std::string path;  // the name it was found by, where known: the comparison without inodes
};

// The identity of the file `path` leads to, following symbolic links.
FileIdentity IdentifyPath(const std::string& path);
// The identity of the file an open stream reads.
FileIdentity IdentifyStream(std::FILE* stream);

// True when `path` leads to the file `file` identifies, so writing there would overwrite it.
bool PathNamesFile(const std::string& path, const FileIdentity& file);

}  // namespace torvane
