// Paths a user can give the Download: lengths at the buffer's edge, names outside ASCII,
// things that are not a readable regular file, and a file that changes under the
// download. Each ends in a clear box, never a hang (ctest gives each test a time limit).
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
#include "ui/core_downloads.h"
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
    ui::ConfigureDialog dialog{state_, view, ui::CoreDownloadProcedures()};
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

// A host that changes the selected file at one progress update, as another program
// writing it at that moment would.
class ChangingHost : public testing::RecordingHost {
 public:
  void SetProgressPos(uint32_t position) override {
    RecordingHost::SetProgressPos(position);
    if (positions.size() == at && change) change();
  }
  size_t at = 0;
  std::function<void()> change;
};

TEST_F(Paths, AFileThatShrinksDuringTheDownloadFails) {
  SelectFile(BitstreamOptions{});
  std::string path = state_.path;
  uint64_t size = std::filesystem::file_size(path);
  ChangingHost host;
  host.at = 3;  // the first position, then two chunks
  host.change = [&] { std::filesystem::resize_file(path, size / 2); };
  EXPECT_EQ(DownloadFpga(state_, host), DownloadResult::Failed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "DOWNLOAD FAILED !");
  EXPECT_FALSE(board_->fpga()->done());
  EXPECT_LT(board_->fpga()->configBitCount(), 8 * size);
}

TEST_F(Paths, AFileThatGrowsDuringTheDownloadEnds) {
  SelectFile(BitstreamOptions{});
  std::string path = state_.path;
  uint64_t size = std::filesystem::file_size(path);
  ChangingHost host;
  host.at = 3;
  // Zeros after the bitstream's end are padding to the configuration logic.
  host.change = [&] { std::filesystem::resize_file(path, size + 65536); };
  EXPECT_EQ(DownloadFpga(state_, host), DownloadResult::Complete);
  // The data ends where the file ended when it was opened, and one 0 bit of start-up.
  EXPECT_EQ(board_->fpga()->configBitCount(), 8 * PartDataSize(BitPart::XC3S200) + 1);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "DOWNLOAD COMPLETE !");
  EXPECT_TRUE(board_->fpga()->done());
}

// The PROM completes its last block with 0xFF once the data runs out, but data that ran
// out before the size the file had at the start is a failed download.
TEST_F(Paths, APromFileThatShrinksFails) {
  Connect(BoardKind::Prom200);
  constexpr size_t DATA = 65536;
  constexpr size_t KEPT = 20000;  // well past what the stream has buffered
  SelectRawFile(DATA);
  std::string path = state_.path;
  uint64_t header = std::filesystem::file_size(path) - DATA;
  ChangingHost host;
  host.at = 2 * WAIT_WRITES + 1;  // after the first block
  host.change = [&] { std::filesystem::resize_file(path, header + KEPT); };
  EXPECT_EQ(DownloadProm(state_, host), DownloadResult::Failed);
  EXPECT_EQ(state_.report.prom, PromCause::FileCutShort);
  // Out of programming mode, but a half-programmed PROM never boots the FPGA.
  EXPECT_FALSE(board_->prom()->iscMode());
  EXPECT_EQ(board_->prom()->configPulses(), 0u);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "DOWNLOAD FAILED !");
  std::vector<uint8_t> data = DataSection(DATA);
  const std::vector<uint8_t>& memory = board_->prom()->memory();
  size_t blockEnd = (KEPT + PROM_BLOCK_BYTES - 1) / PROM_BLOCK_BYTES * PROM_BLOCK_BYTES;
  ASSERT_GE(memory.size(), blockEnd);
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + KEPT, memory.begin()));
  EXPECT_TRUE(std::all_of(memory.begin() + KEPT, memory.begin() + static_cast<long>(blockEnd),
                          [](uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(board_->prom()->programmedAddresses().size(), blockEnd / PROM_BLOCK_BYTES);
}

}  // namespace
}  // namespace torvane
