// Paths a user can give the Download: lengths at the buffer's edge, names outside ASCII,
// things that are not a readable regular file, a data section over the limit, and a file
// that changes under the download. Each ends in a clear box or the file as loaded, never
// a hang (ctest gives each test a time limit).
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/download_fixture.h"
#include "ui/configure_dialog.h"
#include "ui/fake_view_test.h"

namespace torvane {
namespace {

using sim::BoardKind;

class Paths : public testing::DownloadTest {
 protected:
  void SetUp() override { Connect(BoardKind::Xc3s200); }

  // A path of exactly `length` characters ending in ".bit", in nested directories that
  // exist; the file itself is not created.
  std::string PathOfLength(size_t length) {
    std::filesystem::path dir = dir_;
    std::string base = dir.string() + "/";
    while (length - base.size() > 100) {
      base += std::string(90, 'd');
      std::filesystem::create_directory(base);
      base += "/";
    }
    std::string name(length - base.size() - 4, 'f');
    std::string path = base + name + ".bit";
    EXPECT_EQ(path.size(), length);
    return path;
  }

  void WriteDesign(const std::string& path) {
    BitstreamOptions options;
    ASSERT_TRUE(WriteBitFile(path.c_str(), options));
  }

  void Select(const std::string& path) {
    ASSERT_LT(path.size(), sizeof state_.path);
    std::snprintf(state_.path, sizeof state_.path, "%s", path.c_str());
  }

  // Refused with one "File not Found !" box owned by the dialog, before any adapter call.
  void ExpectNotFound(DownloadResult result) {
    EXPECT_EQ(result, DownloadResult::FileError);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].text, "File not Found !");
    EXPECT_EQ(host_.messages[0].caption, "Error");
    EXPECT_EQ(host_.messages[0].owner, MessageOwner::Dialog);
    EXPECT_TRUE(DownloadWrites().empty());
  }
};

TEST_F(Paths, ThingsThatAreNotAReadableFileAreNotFound) {
  struct Case {
    const char* name;
    std::function<std::string()> make;
  };
  const Case cases[] = {
      {"empty", [] { return std::string(); }},
      {"missing", [this] { return (dir_ / "missing.bit").string(); }},
      {"a directory",
       [this] {
         std::filesystem::create_directory(dir_ / "folder.bit");
         return (dir_ / "folder.bit").string();
       }},
      {"a FIFO",  // opening it for reading would wait for a writer for ever
       [this] {
         std::string path = (dir_ / "pipe.bit").string();
         EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
         return path;
       }},
      {"/dev/zero", [] { return std::string("/dev/zero"); }},  // would never end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.messages.clear();
    Select(c.make());
    for (bool prom : {false, true}) {
      host_.messages.clear();
      ExpectNotFound(prom ? DownloadProm(state_, host_) : DownloadFpga(state_, host_));
    }
  }
}

TEST_F(Paths, NonAsciiNamesAreLoaded) {
  std::filesystem::path dir = dir_ / u8"Entwürfe élaborés";
  std::filesystem::create_directory(dir);
  std::string path = (dir / u8"конфигурация_設計.bit").string();
  WriteDesign(path);
  Select(path);
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
  EXPECT_TRUE(board_->fpga()->done());
}

// 259 characters fill the buffer with its terminator; 260 and 261 do not fit. Typed into
// the path edit, a longer path is no path: Download is disabled, and reached anyway it
// finds no file (never the file that a cut path might name).
TEST_F(Paths, LengthsAtTheEdgeOfThePathBuffer) {
  ASSERT_EQ(PATH_CAPACITY, 260);
  for (size_t length : {259u, 260u, 261u}) {
    SCOPED_TRACE(length);
    std::string path = PathOfLength(length);
    WriteDesign(path);
    ui::FakeView view;
    ui::ConfigureDialog dialog{state_, view};
    view.texts[IDC_FILE_PATH] = path;
    ui::OnCommand(dialog, IDC_FILE_PATH);
    EXPECT_EQ(view.enabled[IDC_DOWNLOAD], length < PATH_CAPACITY);
    size_t writesBefore = board_->writeSizes().size();
    ui::OnCommand(dialog, IDC_DOWNLOAD);

    ASSERT_FALSE(view.messages.empty());
    if (length < PATH_CAPACITY) {
      EXPECT_EQ(view.messages.back().text, "DOWNLOAD COMPLETE !");
      EXPECT_TRUE(board_->fpga()->done());
    } else {
      EXPECT_EQ(view.messages.back().text, "File not Found !");
      EXPECT_EQ(board_->writeSizes().size(), writesBefore);
    }
    std::filesystem::remove(path);
  }
}

TEST_F(Paths, AnUnreadableFileIsNotFound) {
  std::string path = (dir_ / "locked.bit").string();
  WriteDesign(path);
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  Select(path);
  if (geteuid() != 0) {
    if (access(path.c_str(), R_OK) == 0) GTEST_SKIP() << "this user reads files whatever their mode";
    ExpectNotFound(DownloadFpga(state_, host_));
    return;
  }
  // Root reads any file, so the download runs in a child that has given up root.
  pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    constexpr uid_t NOBODY = 65534;
    if (setgid(NOBODY) != 0 || setuid(NOBODY) != 0) _exit(3);
    if (access(path.c_str(), R_OK) == 0) _exit(4);
    DownloadResult result = DownloadFpga(state_, host_);
    bool refused = result == DownloadResult::FileError && host_.messages.size() == 1 &&
                   host_.messages[0].text == "File not Found !" && DownloadWrites().empty();
    _exit(refused ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot give up root here";
  if (WEXITSTATUS(status) == 4) GTEST_SKIP() << "the unprivileged user can still read the file";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the unreadable file was not refused as not found";
}

// Over the limit, the data section is no design for these boards: refused as the wrong
// format before any traffic, by either procedure.
TEST_F(Paths, ADataSectionOverTheLimitIsTheWrongFormat) {
  SelectRawFile(MAX_DATA_BYTES + 1);
  for (bool prom : {false, true}) {
    SCOPED_TRACE(prom ? "PROM" : "FPGA");
    host_.messages.clear();
    EXPECT_EQ(prom ? DownloadProm(state_, host_) : DownloadFpga(state_, host_),
              DownloadResult::FileError);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].text, "Wrong file format!");
    EXPECT_EQ(host_.messages[0].owner, MessageOwner::None);
    EXPECT_TRUE(DownloadWrites().empty());
  }
}

// Another program rewrites the file, cuts it short, or deletes it and puts another in its
// place, once the first block of data is on its way: the device still gets the file as
// it was when the download began.
TEST_F(Paths, AFileChangedDuringTheDownloadIsSentAsItWasLoaded) {
  struct Change {
    const char* name;
    std::function<void(const std::string&)> apply;
  };
  BitstreamOptions other;
  other.seed = 99;
  const Change changes[] = {
      {"rewritten", [&](const std::string& path) { WriteBitFile(path.c_str(), other); }},
      {"truncated", [](const std::string& path) { std::filesystem::resize_file(path, 100); }},
      {"replaced",
       [&](const std::string& path) {
         std::filesystem::remove(path);
         WriteBitFile(path.c_str(), other);
       }},
  };
  for (bool prom : {false, true}) {
    for (const Change& change : changes) {
      SCOPED_TRACE(std::string(prom ? "PROM, " : "FPGA, ") + change.name);
      Connect(prom ? BoardKind::Prom200 : BoardKind::Xc3s200);
      host_.messages.clear();
      const size_t size = prom ? 3000 : PartDataSize(BitPart::Xc3s200);
      if (prom) {
        SelectRawFile(size);
      } else {
        SelectFile(BitstreamOptions{});
      }
      std::string path = state_.path;
      bool changed = false;
      board_->SetWriteHook([&](uint32_t) {
        const std::vector<uint32_t>& sizes = board_->writeSizes();
        if (!changed && std::count(sizes.begin(), sizes.end(), 8192u) == 1) {
          change.apply(path);
          changed = true;
        }
      });
      DownloadResult result = prom ? DownloadProm(state_, host_) : DownloadFpga(state_, host_);
      ASSERT_TRUE(changed);
      EXPECT_EQ(result, DownloadResult::Complete);
      std::vector<uint8_t> expected = DataSection(size);
      if (prom) {
        expected.resize(6 * board_->prom()->blockBytes(), 0xFF);
        const std::vector<uint8_t>& memory = board_->prom()->memory();
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin()));
        EXPECT_EQ(board_->prom()->programmedAddresses().size(), 6u);
      } else {
        const std::vector<uint8_t>& bits = board_->fpga()->configBits();
        EXPECT_EQ(board_->fpga()->configBitCount(), 8 * size + 1);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bits.begin()));
        EXPECT_TRUE(board_->fpga()->done());
      }
    }
  }
}

}  // namespace
}  // namespace torvane
