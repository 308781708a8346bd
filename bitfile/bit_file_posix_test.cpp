// Paths that exist but are not files: a pipe would block the open and a device would
// never reach end-of-file, so both must be turned away before any read.
#include <sys/stat.h>
#include <sys/types.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "bitfile/bit_file.h"
#include "bitfile/bit_file_test_support.h"

namespace torvane {
namespace {

using testing::ExpectOneError;
using testing::RecordingHost;
using testing::ScratchDir;

void ExpectNotFound(const std::string& path) {
  RecordingHost host;
  BitFile file;
  EXPECT_FALSE(OpenBitFile(path.c_str(), host, &file));
  EXPECT_EQ(file.stream, nullptr);
  ExpectOneError(host, TEXT_FILE_NOT_FOUND, MessageOwner::Dialog);
}

TEST(OpenBitFilePosix, TurnsAwayADevice) {
  if (!std::filesystem::exists("/dev/zero")) {
    GTEST_SKIP() << "no /dev/zero on this system";
  }
  ExpectNotFound("/dev/zero");
}

TEST(OpenBitFilePosix, TurnsAwayAPipe) {
  ScratchDir dir;
  std::string path = dir.Path("pipe.bit");
  if (mkfifo(path.c_str(), 0600) != 0) {
    GTEST_SKIP() << "cannot make a FIFO here";
  }
  ExpectNotFound(path);
}

}  // namespace
}  // namespace torvane
