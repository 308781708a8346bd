// torvane-cli's outputs and signals on the simulated PROM board: named files that are not
// files, traces that two runs share, a pipe with no reader, and a run stopped by a signal
// at a point its trace shows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "link/jtag_scan.h"
#include "link/vectors.h"
#include "procedures/prom_readback.h"
#include "tests/support/cli_process.h"
#include "tests/support/json_value.h"
#include "tests/support/scratch_dir.h"
#include "tools/make_bitstream.h"

namespace torvane {
namespace {

using testing::CliChild;
using testing::Outcome;
using testing::ReadFile;
using testing::RunCli;

class CliStopTest : public ::testing::Test {
 protected:
  // A raw body of `blocks` PROM blocks.
  std::string Design(const char* name, size_t blocks, uint32_t seed = 1) {
    BitstreamOptions options;
    options.rawBody = true;
    options.dataSize = blocks * 512;
    options.seed = seed;
    std::string path = dir.Path(name);
    EXPECT_TRUE(WriteBitFile(path.c_str(), options));
    return path;
  }

  // What a stopped run writes after its trace (on the same standard output): nothing, or
  // with --json the one object, failed with the cause interrupted.
  static void ExpectStoppedAfterTrace(const std::string& after, bool json) {
    if (!json) {
      EXPECT_EQ(after, "");
      return;
    }
    testing::JsonValue object;
    ASSERT_TRUE(testing::JsonReader(after).ReadWhole(&object)) << after;
    EXPECT_EQ(object["verdict"].text, "failed");
    EXPECT_EQ(object["cause"].text, "interrupted");
  }

  void ExpectNoTemporaryFile() const {
    for (const auto& entry : std::filesystem::directory_iterator(dir.Dir())) {
      EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
  }

  testing::ScratchDir dir;
};

// Refused before the cable is opened: no status line, so no identification ran, and no
// hang on a FIFO nobody reads.
TEST_F(CliStopTest, WhatIsNotAFileIsRefusedAtOnce) {
  std::string fifo = dir.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string bit = "'" + Design("d.bit", 2) + "' ";
  const std::pair<std::string, std::string> cases[] = {
      {"--trace '" + fifo + "'", "is not a regular file"},
      {"--vcd '" + fifo + "'", "is not a regular file"},
      {"--trace /dev/full", "is not a regular file"},
      {"--trace '" + dir.Dir() + "'", "is a directory"},
  };
  for (const auto& [option, text] : cases) {
    // Windows has no FIFOs and no device files: only the directory applies there.
    if (testing::WINDOWS_BUILD && text != std::string("is a directory")) continue;
    Outcome run = RunCli(dir, "--board sim:prom " + option + " program " + bit);
    EXPECT_EQ(run.code, 2) << option << "\n" << run.err;
    EXPECT_EQ(run.out, "") << option;
    EXPECT_NE(run.err.find(text), std::string::npos) << option << "\n" << run.err;
  }
}

// Two runs naming one trace leave the whole trace of one of them, and no temporary file.
TEST_F(CliStopTest, TwoRunsIntoOneTraceLeaveOneWholeTrace) {
  const std::string a = Design("a.bit", 200, 1);
  const std::string b = Design("b.bit", 120, 2);
  const std::string cli = std::string("'") + TORVANE_CLI + "' -q --board sim:prom --trace '";
  Outcome alone = testing::RunShell(dir, "(" + cli + dir.Path("a.txt") + "' program '" + a +
                                             "' && " + cli + dir.Path("b.txt") + "' program '" +
                                             b + "')");
  ASSERT_EQ(alone.code, 0) << alone.err;
  const std::string shared = dir.Path("shared.txt");
  Outcome both = testing::RunShell(dir, "(" + cli + shared + "' program '" + a + "' & " + cli +
                                            shared + "' program '" + b + "' & wait)");
  ASSERT_EQ(both.code, 0) << both.err;
  std::string trace = ReadFile(shared);
  EXPECT_TRUE(trace == ReadFile(dir.Path("a.txt")) || trace == ReadFile(dir.Path("b.txt")))
      << trace.size() << " bytes, neither run's trace";
  ExpectNoTemporaryFile();
}

// A trace that cannot be written in full (a file size limit here, as a full disk would
// do) is known before the erase, and leaves the file it names as it was.
TEST_F(CliStopTest, ATraceThatCannotBeWrittenLeavesTheOldOne) {
  const std::string trace = dir.Write("t.txt", {'o', 'l', 'd', '\n'});
  Outcome run = testing::RunShell(
      dir, std::string("(trap '' XFSZ; ulimit -f 1; '") + TORVANE_CLI +
               "' --board sim:prom --trace '" + trace + "' program '" + Design("d.bit", 2) + "')");
  EXPECT_EQ(run.code, 2) << run.err;
  EXPECT_NE(run.err.find("the trace file could not be written"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("progress"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(trace), "old\n");
  ExpectNoTemporaryFile();
}

// A trace into a pipe whose reader has gone (as after `| head -c 1000`) is a write error
// known after identification: the run ends there and the PROM is never touched (no
// progress is ever reported).
TEST_F(CliStopTest, AClosedPipeStopsTheRunBeforeTheErase) {
  CliChild child({"--board", "sim:prom", "--trace", "/dev/stdout", "program", Design("d.bit", 2)},
                 dir.Path("err.txt"), /*reader=*/false);
  EXPECT_EQ(child.Finish(), 2) << child.err;
  EXPECT_NE(child.err.find("the trace file could not be written"), std::string::npos) << child.err;
  EXPECT_EQ(child.err.find("progress"), std::string::npos) << child.err;
}

bool BlockWritten(const std::string& trace) {
  // A block's data is one write of 8192 bytes: a trace line of 16384 hex digits.
  size_t start = 0;
  for (size_t end; (end = trace.find('\n', start)) != std::string::npos; start = end + 1) {
    if (end - start > 16384) return true;
  }
  return false;
}

// SIGINT once the trace shows a block written: the run stops at the next block boundary,
// releases the lines, closes the cable, and says so, with no verdict: the download did not
// end. --json says failed, interrupted. A second signal ends it at once.
TEST_F(CliStopTest, ASignalStopsTheDownloadBetweenBlocks) {
  const std::string bit = Design("d.bit", 100);
  for (bool json : {false, true}) {
    std::vector<std::string> arguments = {"--board", "sim:prom", "--trace", "/dev/stdout",
                                          "program", bit};
    if (json) arguments.insert(arguments.begin(), "--json");
    CliChild child(arguments, dir.Path("err.txt"));
    ASSERT_TRUE(child.ReadUntil(BlockWritten));
    child.Signal(json ? SIGTERM : SIGINT);
    EXPECT_EQ(child.Finish(), 128 + (json ? SIGTERM : SIGINT)) << child.err;
    const std::string ending = "\nwrite FF\nclose\n";
    size_t end = child.out.rfind(ending);
    ASSERT_NE(end, std::string::npos) << json;
    EXPECT_NE(child.err.find("torvane-cli: interrupted"), std::string::npos) << child.err;
    ExpectStoppedAfterTrace(child.out.substr(end + ending.size()), json);
  }
  {
    CliChild child({"--board", "sim:prom", "--trace", "/dev/stdout", "program", bit},
                   dir.Path("err.txt"));
    ASSERT_TRUE(child.ReadUntil(BlockWritten));
    child.Signal(SIGINT);
    child.Signal(SIGTERM);
    // Which of the two is handled first is the kernel's choice.
    int code = child.Finish();
    EXPECT_TRUE(code == 128 + SIGINT || code == 128 + SIGTERM) << code;
    EXPECT_EQ(child.out.find("DOWNLOAD"), std::string::npos);
  }
}

// The trace shows an exchange of the read-back come back: a read of more than a block.
bool ReadBackUnderWay(const std::string& trace) {
  size_t start = 0;
  for (size_t end; (end = trace.find('\n', start)) != std::string::npos; start = end + 1) {
    if (trace.compare(start, 5, "read ") == 0 && end - start > 4 * 8192) return true;
  }
  return false;
}

// SIGINT or SIGTERM once the trace shows the read-back streaming: `read` and `verify` stop
// between two exchanges, take the PROM out of programming mode with its time, release
// the lines and close, and write no file; they end failed with the cause interrupted.
TEST_F(CliStopTest, ASignalStopsTheReadBackBetweenExchanges) {
  const std::string bit = Design("v.bit", 100);
  const std::string image = dir.Path("prom.bin");
  std::vector<PinVector> scan;
  AppendIrScan(&scan, TapStart::RunTestIdle, PROM_SCAN_CHAIN, PROM_ISC_DISABLE);
  std::vector<uint8_t> bytes(2 * scan.size());
  ExpandInto(scan.data(), scan.size(), bytes.data());
  std::string disable = "write ";
  for (uint8_t byte : bytes) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    disable += hex;
  }
  for (bool verify : {false, true}) {
    SCOPED_TRACE(verify ? "verify" : "read");
    std::vector<std::string> arguments = {"--board", "sim:prom", "--trace", "/dev/stdout"};
    if (verify) {
      arguments.insert(arguments.begin(), "--json");
      arguments.insert(arguments.end(), {"verify", bit});
    } else {
      arguments.insert(arguments.end(), {"read", image});
    }
    CliChild child(arguments, dir.Path("err.txt"));
    ASSERT_TRUE(child.ReadUntil(ReadBackUnderWay));
    const int number = verify ? SIGTERM : SIGINT;
    child.Signal(number);
    EXPECT_EQ(child.Finish(), 128 + number) << child.err;
    EXPECT_NE(child.err.find("torvane-cli: interrupted"), std::string::npos) << child.err;
    EXPECT_FALSE(std::filesystem::exists(image));
    ExpectNoTemporaryFile();
    // ISC_DISABLE and what it shifted out, its time, the lines released, the cable closed.
    const std::string ending = "\nsleep 110\nwrite FF\nclose\n";
    size_t end = child.out.rfind(ending);
    ASSERT_NE(end, std::string::npos);
    size_t readLine = child.out.rfind('\n', end - 1);
    size_t writeLine = child.out.rfind('\n', readLine - 1);
    ASSERT_NE(writeLine, std::string::npos);
    EXPECT_EQ(child.out.substr(writeLine + 1, readLine - writeLine - 1), disable);
    const std::string read = "read " + std::to_string(bytes.size()) + " ";
    EXPECT_EQ(child.out.compare(readLine + 1, read.size(), read), 0);
    // Its phase began and never reached its end.
    EXPECT_NE(child.err.find("read-back 0%"), std::string::npos) << child.err;
    EXPECT_EQ(child.err.find("read-back 100%"), std::string::npos) << child.err;
    ExpectStoppedAfterTrace(child.out.substr(end + ending.size()), verify);
  }
}

}  // namespace
}  // namespace torvane
