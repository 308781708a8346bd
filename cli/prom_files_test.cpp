// PROM files (.mcs) and raw images (.bin) through torvane-cli: a design in any form puts the
// same bytes on the wire, and the vendor's PROM file for a real design goes into the
// simulated PROM and comes back out as the vendor wrote it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/adapter_choice.h"
#include "cli/commands.h"
#include "cli/prom_file.h"
#include "cli/run.h"
#include "procedures/identify.h"
#include "tests/support/bit_file_edits.h"
#include "tests/support/cli_process.h"
#include "tests/support/json_value.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_dir.h"
#include "tools/make_bitstream.h"

namespace torvane {
namespace {

using testing::Outcome;
using testing::ReadFile;
using testing::RunCli;

// Every board a design for the XC3S200 goes to: the FPGA alone, and the PROM before it
// (read back and compared after programming).
TEST(PromFilesTest, ADesignAsMcsOrBinSendsWhatItsBitSends) {
  testing::ScratchDir dir;
  const std::vector<uint8_t> data =
      MakeBitstreamBody(BitstreamOptions{}, PartDataSize(BitPart::Xc3s200));
  ASSERT_TRUE(WriteBitFile(dir.Path("s200.bit").c_str(), BitstreamOptions{}));
  dir.Write("s200.mcs", testing::AsPromFile(data));
  dir.Write("s200.bin", data);
  for (const char* board : {"sim:xc3s200", "sim:prom"}) {
    std::string bitTrace;
    for (const char* file : {"s200.bit", "s200.mcs", "s200.bin"}) {
      SCOPED_TRACE(std::string(board) + ", " + file);
      const std::string trace = dir.Path("trace.txt");
      Outcome run = RunCli(dir, std::string("-q --board ") + board + " --trace '" + trace +
                                    "' program --verify '" + dir.Path(file) + "'");
      EXPECT_EQ(run.code, 0) << run.err;
      EXPECT_EQ(run.out, "DOWNLOAD COMPLETE !\n");
      const std::string lines = ReadFile(trace);
      if (bitTrace.empty()) bitTrace = lines;
      EXPECT_TRUE(lines == bitTrace) << "the trace differs from the .bit's";
    }
  }
}

class RealPromFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(vendorFile)) {
      GTEST_SKIP() << "the real configuration files are not beside the repository: "
                   << TORVANE_REAL_FILES;
    }
  }
  const std::string vendorFile = std::string(TORVANE_REAL_FILES) + "/xc3s100e_xcf02s_dino.mcs";
  testing::ScratchDir dir;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// info names what the file holds and the checksum of the vendor's report for it, as lines
// and as JSON.
TEST_F(RealPromFile, InfoGivesTheChecksumOfTheVendorsReport) {
  Outcome run = RunCli(dir, "info '" + vendorFile + "'");
  EXPECT_EQ(run.code, 0) << run.err;
  for (const char* line : {"format: Intel HEX\n", "byte order: bit-reversed\n",
                           "idcode: 0x01C10093\npart: unknown\n", "data length: 72668 bytes\n",
                           "PROM checksum for an XCF02S (as the PROM report gives it): 02f956ab\n",
                           "program on any chain: refused: the file is a design for a part the "
                           "tool does not know (IDCODE 0x01C10093) (--force sends it anyway)\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
  run = RunCli(dir, "--json info '" + vendorFile + "'");
  testing::JsonValue info;
  ASSERT_TRUE(testing::JsonReader(run.out).ReadWhole(&info)) << run.out;
  EXPECT_EQ(info["format"].text, "Intel HEX");
  EXPECT_EQ(info["idcode"].text, "0x01C10093");
  EXPECT_EQ(info["part"].text, "unknown");
  EXPECT_EQ(info["dataLength"].number, 72668);
  EXPECT_EQ(info["promChecksum"]["XCF02S"].text, "02f956ab");
}

// Programmed (forced: a design for a Spartan-3E) and read back to a .mcs, the PROM gives the
// vendor's records up to its last data byte, then the rest of the PROM erased.
TEST_F(RealPromFile, ProgrammedAndReadBackItIsTheVendorsFile) {
  cli::Options options;
  options.board = "sim:prom";
  options.file = vendorFile;
  options.force = true;
  options.quiet = true;
  options.json = true;
  cli::RunReport report;
  cli::AdapterChoice choice;
  ASSERT_EQ(cli::Run(cli::EntryFor(cli::Command::Program), options, report, choice),
            RunVerdict::Complete)
      << report.cause;

  // The same board, opened again as 'read' opens it.
  AppState state;
  state.link.adapter = choice.board();
  testing::RecordingHost host;
  IdentifyChain(state, host);
  const std::string back = dir.Path("back.mcs");
  std::string error;
  ASSERT_EQ(cli::SavePromImage(state, host, back, &error), cli::SaveResult::Saved) << error;

  const std::vector<std::string> vendor = Lines(ReadFile(vendorFile));
  const std::vector<std::string> read = Lines(ReadFile(back));
  ASSERT_GE(vendor.size(), 2u);
  ASSERT_GT(read.size(), vendor.size());
  // Every record before the vendor's last data record, line for line.
  const size_t whole = vendor.size() - 2;
  for (size_t i = 0; i < whole; ++i) ASSERT_EQ(read[i], vendor[i]) << "line " << i + 1;
  // The last one holds fewer bytes: its data is the start of the read record's, the PROM
  // erased after it.
  const std::string& last = vendor[whole];
  const size_t digits = 2 * std::stoul(last.substr(1, 2), nullptr, 16);
  EXPECT_EQ(read[whole].substr(0, 9 + digits), ":10" + last.substr(3, 6 + digits));
  EXPECT_EQ(read[whole].substr(9 + digits, 32 - digits), std::string(32 - digits, 'F'));
  EXPECT_EQ(vendor.back(), ":00000001FF");
  EXPECT_EQ(read.back(), ":00000001FF");
}

}  // namespace
}  // namespace torvane
