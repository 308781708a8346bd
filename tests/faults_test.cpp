// Faults injected into the simulated board, for identification, the FPGA download and the
// PROM download: the outcome each must show, the file closed afterwards, and the board
// identified and usable again once the cable is back. Buffers left unreleased are caught
// when this suite runs under LeakSanitizer (scripts/sanitize.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "procedures/identify.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/download_fixture.h"

namespace torvane {
namespace {

using sim::BoardKind;
using sim::FaultPlan;

// Descriptors of this process that still point at `path`; -1 where the system does not
// list them.
int DescriptorsOpenOn(const std::string& path) {
  std::error_code error;
  std::filesystem::directory_iterator it("/proc/self/fd", error);
  if (error) return -1;
  std::filesystem::path target = std::filesystem::canonical(path, error);
  int count = 0;
  for (const auto& entry : it) {
    std::filesystem::path link = std::filesystem::read_symlink(entry.path(), error);
    if (!error && link == target) ++count;
  }
  return count;
}

// Which call of the download a fault hits, counted from the first write after
// identification; 0 leaves that kind of fault out. `result` is the verdict it must give.
struct Fault {
  const char* name;
  uint32_t failWriteAt;   // this download write and every later one fail
  uint32_t unplugAfter;   // after this many download writes the cable is gone
  bool failStatus;
  uint32_t shortReads;
  DownloadResult result;
};

// The test log names a case, not its bytes.
void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

std::string FaultName(const ::testing::TestParamInfo<Fault>& info) {
  std::string name;
  for (const char* c = info.param.name; *c; ++c) {
    name.push_back(std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_');
  }
  return name;
}

class Faults : public testing::DownloadTest {
 protected:
  // The recorder flushes when destroyed, so it must go before its trace file does.
  ~Faults() override { DropTrace(); }

  // The board identified cleanly, then the fault armed for what follows.
  void ConnectThenArm(BoardKind kind, const Fault& fault) {
    Connect(kind, /*traced=*/true);
    FaultPlan& plan = board_->faults();
    uint32_t done = static_cast<uint32_t>(writesAfterIdentify_);
    if (fault.failWriteAt) plan.failWriteFrom = done + fault.failWriteAt;
    if (fault.unplugAfter) plan.unplugAfterWrites = done + fault.unplugAfter;
    plan.failStatus = fault.failStatus;
    plan.shortReadLimit = fault.shortReads;
  }

  // What the Connect button does once the cable is back: close, identify again.
  IdentifyResult Reconnect() {
    board_->Replug();
    LinkClose(state_.link);
    return IdentifyChain(state_, host_);
  }

  std::string Path() const { return state_.path; }

  // Ends the previous pass's recorder before its file, so a new Connect starts clean.
  void DropTrace() {
    recorder_.reset();
    if (traceFile_) std::fclose(traceFile_);
    traceFile_ = nullptr;
  }

  void ExpectFailedAndReleased() {
    ASSERT_FALSE(host_.messages.empty());
    EXPECT_EQ(host_.messages.back().text, "DOWNLOAD FAILED !");
    EXPECT_EQ(host_.messages.back().caption, "Operation Status");
    EXPECT_EQ(host_.messages.back().icon, MessageIcon::Error);
    std::vector<std::string> trace = TraceLines();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back(), "write FF");  // tried even when the cable is gone
  }

  void ExpectFileClosed() {
    int open = DescriptorsOpenOn(Path());
    if (open >= 0) {
      EXPECT_EQ(open, 0) << "the .bit file is still open";
    }
  }
};

// Identification never shows a box: every fault ends in the two status lines, and the
// chain is identified again once the board is back.
TEST_F(Faults, IdentificationUnderEachFault) {
  struct Case {
    const char* name;
    FaultPlan plan;
    const char* usbLine;
    const char* deviceLine;
  };
  FaultPlan openFails;
  openFails.failOpen = true;
  FaultPlan firstWriteFails;
  firstWriteFails.failWriteFrom = 1;
  FaultPlan selectFails;
  selectFails.failWriteFrom = 2;
  FaultPlan unplugged;
  unplugged.unplugAfterWrites = 1;
  FaultPlan statusFails;
  statusFails.failStatus = true;
  FaultPlan shortReads;
  shortReads.shortReadLimit = 10;  // samples 1, 3, 5, 7, 9 arrive: bits 0 to 4 of the code
  const Case cases[] = {
      {"open fails", openFails, "USB : Not Connected", "JTAG : not found (0)"},
      {"first write fails", firstWriteFails, "USB : Connected", "JTAG : not found (0)"},
      {"select write fails", selectFails, "USB : Connected", "JTAG : not found (0)"},
      {"unplugged after one write", unplugged, "USB : Connected", "JTAG : not found (0)"},
      {"status fails", statusFails, "USB : Connected", "JTAG : not found (0)"},
      {"short reads", shortReads, "USB : Connected", "JTAG : not found (13)"},
  };
  for (BoardKind kind : {BoardKind::Xc3s200, BoardKind::Prom200}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(sim::BoardName(kind)) + ": " + c.name);
      board_ = sim::MakeBoard(kind);
      state_ = AppState{};
      state_.link.adapter = board_.get();
      board_->faults() = c.plan;
      IdentifyResult found = IdentifyChain(state_, host_);
      EXPECT_EQ(host_.usbLine(), c.usbLine);
      std::string device = c.deviceLine;
      if (kind == BoardKind::Prom200 && c.plan.shortReadLimit) device = "JTAG : not found (13)";
      EXPECT_EQ(host_.deviceLine(), device);
      // Nothing is downloaded into an unknown chain.
      EXPECT_EQ(state_.deviceMode, DeviceMode::None);
      EXPECT_TRUE(host_.messages.empty());

      found = Reconnect();
      EXPECT_EQ(found.openStatus, ADAPTER_OK);
      EXPECT_EQ(host_.usbLine(), "USB : Connected");
      EXPECT_EQ(host_.deviceLine(),
                kind == BoardKind::Prom200 ? "Download PROM" : "Download FPGA XC3S200");
    }
  }
}

TEST_F(Faults, ConnectWhileTheCableIsStillOutShowsNotConnected) {
  Connect(BoardKind::Xc3s200);
  board_->faults().unplugAfterWrites = static_cast<uint32_t>(writesAfterIdentify_);
  uint32_t written = 0;
  uint8_t byte = 0;
  board_->Write(state_.link.handle, &byte, 1, &written);  // the write that finds it gone
  LinkClose(state_.link);
  IdentifyChain(state_, host_);
  EXPECT_EQ(host_.usbLine(), "USB : Not Connected");
  EXPECT_EQ(host_.deviceLine(), "JTAG : not found (0)");
}

class FpgaFaults : public Faults, public ::testing::WithParamInterface<Fault> {};
class PromFaults : public Faults, public ::testing::WithParamInterface<Fault> {};

// Every fault that costs the FPGA its configuration, or the tool its proof of it, ends in
// "DOWNLOAD FAILED !" and the released lines; short reads cost neither. After Connect the
// next Download completes.
TEST_P(FpgaFaults, FailsThenWorksOnceTheBoardIsBack) {
  const Fault& fault = GetParam();
  ConnectThenArm(BoardKind::Xc3s200, fault);
  BitstreamOptions options;
  SelectFile(options);

  EXPECT_EQ(DownloadFpga(state_, host_), fault.result);
  ASSERT_EQ(host_.messages.size(), 1u);
  if (fault.result == DownloadResult::Failed) {
    ExpectFailedAndReleased();
  } else {
    EXPECT_EQ(host_.messages.back().text, "DOWNLOAD COMPLETE !");
    EXPECT_TRUE(board_->fpga()->done());
  }
  ExpectFileClosed();
  if (fault.failWriteAt == 1) {
    EXPECT_EQ(board_->fpga()->configBitCount(), 0u) << "data sent after a failed preamble";
  }

  host_.messages.clear();
  state_.lastReportedOffset = 0;
  Reconnect();
  EXPECT_EQ(host_.deviceLine(), "Download FPGA XC3S200");
  EXPECT_EQ(DownloadFpga(state_, host_), DownloadResult::Complete);
  EXPECT_TRUE(board_->fpga()->done());
  ExpectFileClosed();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FpgaFaults,
    ::testing::Values(
        Fault{"preamble write fails", 1, 0, false, 0, DownloadResult::Failed},
        Fault{"a data write fails", 3, 0, false, 0, DownloadResult::Failed},
        // 1 preamble and 16 chunks of the XC3S200's data, then the start-up table.
        Fault{"start-up write fails", 2 + 130952 / 8192 * 16, 0, false, 0,
              DownloadResult::Failed},
        Fault{"unplugged mid-transfer", 0, 5, false, 0, DownloadResult::Failed},
        Fault{"status query fails", 0, 0, true, 0, DownloadResult::Failed},
        // The DONE capture arrives in pieces and is read whole.
        Fault{"reads come back short", 0, 0, false, 4, DownloadResult::Complete}),
    FaultName);

// The PROM verdict rests on the adapter's answer: a cable that is gone or a status query
// that fails is a failure; short reads do not touch a PROM download.
TEST_P(PromFaults, GivesItsVerdictThenWorksOnceTheBoardIsBack) {
  const Fault& fault = GetParam();
  ConnectThenArm(BoardKind::Prom200, fault);
  SelectRawFile(1300);

  EXPECT_EQ(DownloadProm(state_, host_), fault.result);
  ASSERT_EQ(host_.messages.size(), 1u);
  if (fault.result == DownloadResult::Failed) {
    ExpectFailedAndReleased();
  } else {
    EXPECT_EQ(host_.messages.back().text, "DOWNLOAD COMPLETE !");
  }
  ExpectFileClosed();

  host_.messages.clear();
  Reconnect();
  EXPECT_EQ(host_.deviceLine(), "Download PROM");
  EXPECT_EQ(DownloadProm(state_, host_), DownloadResult::Complete);
  std::vector<uint8_t> data = DataSection(1300);
  const std::vector<uint8_t>& memory = board_->prom()->memory();
  ASSERT_GE(memory.size(), data.size());
  EXPECT_TRUE(std::equal(data.begin(), data.end(), memory.begin()));
  ExpectFileClosed();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PromFaults,
    ::testing::Values(
        Fault{"every download write fails", 1, 0, false, 0, DownloadResult::Failed},
        Fault{"unplugged during the erase wait", 0, 100, false, 0, DownloadResult::Failed},
        Fault{"unplugged while programming", 0, 1560, false, 0, DownloadResult::Failed},
        Fault{"a write fails while programming", 1560, 0, false, 0, DownloadResult::Failed},
        Fault{"status query fails", 0, 0, true, 0, DownloadResult::Failed},
        Fault{"reads come back short", 0, 0, false, 4, DownloadResult::Complete}),
    FaultName);

// A download with no adapter at all runs every phase against failing calls and fails;
// the file is refused or closed in each case, never left open.
TEST_F(Faults, DownloadsWithTheOpenFailed) {
  for (bool prom : {false, true}) {
    SCOPED_TRACE(prom ? "PROM" : "FPGA");
    host_ = testing::RecordingHost{};
    DropTrace();
    Connect(prom ? BoardKind::Prom200 : BoardKind::Xc3s200, /*traced=*/true);
    SelectRawFile(700);
    board_->faults().failOpen = true;
    LinkClose(state_.link);
    IdentifyChain(state_, host_);
    EXPECT_EQ(host_.usbLine(), "USB : Not Connected");

    DownloadResult result = prom ? DownloadProm(state_, host_) : DownloadFpga(state_, host_);
    EXPECT_EQ(result, DownloadResult::Failed);
    ExpectFailedAndReleased();
    ExpectFileClosed();
  }
}

}  // namespace
}  // namespace torvane
