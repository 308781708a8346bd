// What only POSIX paths show: a pipe would block the open and a device would never reach
// end-of-file, so both are turned away before any read; links lead to one file identity.
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bitfile/bit_file.h"
#include "tests/support/scratch_dir.h"

namespace torvane {
namespace {

using testing::ScratchDir;

TEST(LoadBitFilePosix, TurnsAwayDevicesAndPipes) {
  ScratchDir dir;
  std::string pipe = dir.Path("pipe.bit");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), pipe}) {
    SCOPED_TRACE(path);
    BitFile file;
    EXPECT_EQ(LoadBitFile(path.c_str(), &file), BitFileError::NotFound);
  }
}

// A file too big to hold an acceptable data section is refused without being read; a
// sparse file costs nothing to make.
TEST(LoadBitFilePosix, AHugeFileIsTooLargeUnread) {
  ScratchDir dir;
  std::string path = dir.Write("huge.bit", {0x00, 0x09});
  std::filesystem::resize_file(path, uint64_t{1} << 32);
  BitFile file;
  EXPECT_EQ(LoadBitFile(path.c_str(), &file), BitFileError::TooLarge);
}

TEST(FileIdentity, OneFileThroughEveryLinkAndNoOther) {
  ScratchDir dir;
  const std::vector<uint8_t> bytes = {1, 2, 3};
  std::string path = dir.Write("input.bit", bytes);
  std::filesystem::create_symlink(path, dir.Path("soft.bit"));
  ASSERT_EQ(link(path.c_str(), dir.Path("hard.bit").c_str()), 0);
  FileIdentity input = IdentifyPath(path);
  ASSERT_TRUE(input.known);
  for (const char* name : {"input.bit", "soft.bit", "hard.bit"}) {
    EXPECT_TRUE(PathNamesFile(dir.Path(name), input)) << name;
  }
  EXPECT_FALSE(PathNamesFile(dir.Write("copy.bit", bytes), input));
  EXPECT_FALSE(PathNamesFile(dir.Path("new.txt"), input));
  EXPECT_FALSE(PathNamesFile(path, FileIdentity{}));
}

}  // namespace
}  // namespace torvane
