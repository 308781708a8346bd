// torvane-cli run as a user runs it, on the simulated boards: exit codes, the verdict on
// standard output, diagnostics on standard error, and the waveform read by sigrok-cli.
// The same suite runs on the Windows build under Wine (tests/support/cli_process.h), where
// the program also meets its driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "bitfile/bit_file.h"
#include "bitfile/config_data.h"
#include "cli/plan.h"
#include "cli/prom_file.h"
#include "procedures/identify.h"
#include "procedures/parts.h"
#include "sim/board.h"
#include "sim/dll/board_choice.h"
#include "sim/prom.h"
#include "tests/support/bit_file_edits.h"
#include "tests/support/cli_process.h"
#include "tests/support/json_value.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_dir.h"
#include "tools/make_bitstream.h"

namespace torvane {
namespace {

using testing::Outcome;
using testing::PROGRAM;
using testing::ReadFile;
using testing::RunCli;
using testing::RunProgram;
using testing::RunShell;
using testing::WINDOWS_BUILD;
using testing::WithoutPart;

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BitstreamOptions options;
    ASSERT_TRUE(WriteBitFile(dir.Path("s200.bit").c_str(), options));
    options.dataSize = 1;
    ASSERT_TRUE(WriteBitFile(dir.Path("one.bit").c_str(), options));
  }
  std::string Bit(const char* name) const { return "'" + dir.Path(name) + "'"; }

  testing::ScratchDir dir;
};

TEST_F(CliTest, EachCommandOnTheSimulatedBoards) {
  struct Case {
    std::string arguments;
    int code;
    std::string out;  // standard output, in full
    std::string err;  // a part of standard error; empty: nothing at all
  };
  const std::string fpga = "USB : Connected\nDownload FPGA XC3S200\n";
  const std::string prom = "USB : Connected\nDownload PROM\n";
  const std::string none = "USB : Not Connected\nJTAG : not found (0)\n";
  // detect lists the whole chain after the status lines, or says why it could not.
  const std::string chain = "JTAG chain, TDI to TDO:\n";
  const std::string s200 = "  1  0x01414093  XC3S200  IR 6\n";
  const std::string s400 = "  1  0x0141C093  XC3S400  IR 6\n";
  const std::string xcf = "  2  0xF5045093  XCF02S   IR 8\n";
  const Case cases[] = {
      {"--board sim:xc3s200 detect", 0, fpga + chain + s200, ""},
      {"--board sim:xc3s400 detect", 0, "USB : Connected\nDownload FPGA XC3S400\n" + chain + s400,
       ""},
      {"--board sim:prom detect", 0, prom + chain + s200 + xcf, ""},
      {"--board sim:prom400 detect", 0, prom + chain + s400 + xcf, ""},
      {"--board sim:none detect", 1, none, ""},
      {"--board sim:dead detect", 1, "USB : Connected\nJTAG : not found (FFFFFFFF)\n",
       "TDO reads 1 throughout the chain scan, no device drives it: check the wiring"},
      {"--board sim:dead0 detect", 1, "USB : Connected\nJTAG : not found (0)\n",
       "TDO reads 0 throughout the chain scan: check the wiring"},
      {"--board sim:xc3s200 program " + Bit("s200.bit"), 0, fpga + "DOWNLOAD COMPLETE !\n",
       "progress 100%"},
      {"--board sim:xc3s200 fpga " + Bit("s200.bit"), 0, fpga + "DOWNLOAD COMPLETE !\n", ""},
      {"--board sim:prom prom " + Bit("s200.bit"), 0, prom + "DOWNLOAD COMPLETE !\n", ""},
      // The PROM holds the design; the XC3S400 refuses a design for the XC3S200.
      {"--board sim:prom400 --force program " + Bit("s200.bit"), 0,
       "USB : Connected\nDownload PROM\nDOWNLOAD COMPLETE !\nnote: the PROM holds the design "
       "but the FPGA did not start from it (check the mode pins, or the part the design was "
       "built for)\n", ""},
      // A byte of configuration leaves the FPGA unconfigured: the verdict says so.
      {"--board sim:xc3s200 fpga " + Bit("one.bit"), 1, fpga + "DOWNLOAD FAILED !\n",
       "torvane-cli: the FPGA did not start (DONE low, INIT high)"},
      // Nothing is sent into a chain without a supported device.
      {"--board sim:none program " + Bit("s200.bit"), 1, none,
       "torvane-cli: no supported device answered"},
      {"-q --board sim:prom program " + Bit("s200.bit"), 0, "DOWNLOAD COMPLETE !\n", ""},
      // The refusals: the other kind of chain, before any download.
      // The FPGA behind the PROM takes a volatile load.
      {"--board sim:prom fpga " + Bit("s200.bit"), 0, prom + "DOWNLOAD COMPLETE !\n", ""},
      {"--board sim:xc3s200 prom " + Bit("s200.bit"), 2, fpga,
       "the chain holds an FPGA alone, not a configuration PROM"},
  };
  for (const Case& c : cases) {
    Outcome run = RunCli(dir, c.arguments);
    EXPECT_EQ(run.code, c.code) << c.arguments << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.arguments;
    if (c.err.empty()) {
      EXPECT_EQ(run.err.find("torvane-cli:"), std::string::npos) << c.arguments << run.err;
    } else {
      EXPECT_NE(run.err.find(c.err), std::string::npos) << c.arguments << "\n" << run.err;
    }
  }
}

TEST_F(CliTest, PromCheckVerifyAndRead) {
  struct Case {
    std::string arguments;
    int code;
    std::string out;  // standard output after the two status lines, in full
    std::string err;  // a part of standard error; empty: no diagnostic
  };
  const std::string note =
      "note: the PROM holds the design but the FPGA did not start from it (check the mode "
      "pins, or the part the design was built for)\n";
  const std::string out = dir.Path("prom.bin");
  const std::string mcs = dir.Path("prom.MCS");
  const std::string small = dir.Path("xcf01s.bin");
  const Case cases[] = {
      {"--board sim:prom program --verify " + Bit("s200.bit"), 0, "DOWNLOAD COMPLETE !\n", ""},
      {"--board sim:prom-jtagmode program " + Bit("s200.bit"), 0,
       "DOWNLOAD COMPLETE !\n" + note, ""},
      {"--board sim:prom-stuck prom " + Bit("s200.bit"), 1, "DOWNLOAD FAILED !\n",
       "the PROM differs from the file from block 1"},
      // A fresh simulated PROM holds no design.
      {"--board sim:prom verify " + Bit("s200.bit"), 1, "PROM DIFFERS FROM FILE\n",
       "from block 0"},
      {"--board sim:prom read '" + out + "'", 0, "262144 bytes read to " + out + "\n", ""},
      {"--board sim:prom read '" + mcs + "'", 0, "262144 bytes read to " + mcs + "\n", ""},
      {"--board sim:prom-xcf01s read '" + small + "'", 0,
       "131072 bytes read to " + small + "\n", ""},
  };
  for (const Case& c : cases) {
    Outcome run = RunCli(dir, c.arguments);
    EXPECT_EQ(run.code, c.code) << c.arguments << "\n" << run.err;
    EXPECT_EQ(run.out, "USB : Connected\nDownload PROM\n" + c.out) << c.arguments;
    if (c.err.empty()) {
      EXPECT_EQ(run.err.find("torvane-cli:"), std::string::npos) << c.arguments << run.err;
    } else {
      EXPECT_NE(run.err.find(c.err), std::string::npos) << c.arguments << "\n" << run.err;
    }
  }
  const std::vector<uint8_t> erased(PromCapacity(*FindPart(IDCODE_PROM_XCF02S)), 0xFF);
  EXPECT_EQ(ReadFile(out), std::string(erased.begin(), erased.end()));
  EXPECT_TRUE(ReadFile(mcs) == FormatPromFile(erased.data(), erased.size()));
  EXPECT_EQ(ReadFile(small), std::string(PromCapacity(*FindPart(IDCODE_PROM_XCF01S)), '\xFF'));
  Outcome refused = RunCli(dir, "--board sim:xc3s200 read '" + dir.Path("none.bin") + "'");
  EXPECT_EQ(refused.code, 2);
  EXPECT_FALSE(std::ifstream(dir.Path("none.bin")).good());
}

// A read that a fault cuts short leaves nothing under the asked name, nor beside it.
TEST_F(CliTest, AnInterruptedReadLeavesNoFile) {
  sim::Board board(sim::BoardKind::Prom200);
  AppState state;
  state.link.adapter = &board;
  testing::RecordingHost host;
  IdentifyChain(state, host);
  board.SetWriteHook([&board](uint32_t call) {
    if (board.prom()->reads() == 100) board.faults().unplugAfterWrites = call - 1;
  });
  std::string error;
  std::string path = dir.Path("backup.bin");
  EXPECT_EQ(cli::SavePromImage(state, host, path, &error), cli::SaveResult::ReadFailed);
  EXPECT_NE(error.find("nothing was written"), std::string::npos) << error;
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Dir())) {
    files += entry.path().filename().string().rfind("backup.bin", 0) == 0;
  }
  EXPECT_EQ(files, 0u);
}

TEST_F(CliTest, UsageAndFileErrorsExitTwo) {
  struct Case {
    std::string arguments;
    int code;
    std::string text;  // expected in standard output or error
  };
  const Case cases[] = {
      {"", 2, "A subcommand is required"},
      {"program", 2, "FILE is required"},
      {"--board sim:prom read ''", 2, "OUT: an empty name is no file"},
      {"--board sim:prom --vcd --verify program x.bit", 2, "--vcd: the value is missing"},
      {"--board sim:nowhere detect", 2, "unknown simulated board 'sim:nowhere'"},
      {"--board serial detect", 2, "unknown board 'serial'"},
      {"--board sim:prom --trace '" + dir.Path("no/such/dir/t.txt") + "' detect", 2,
       "cannot create the trace file"},
      {"--board sim:prom --vcd /dev/full detect", 2, "is not a regular file"},
      {"--help", 0, "Exit codes: 0 complete"},
      {"--version", 0, "torvane-cli " TORVANE_VERSION},
  };
  for (const Case& c : cases) {
    // Windows has no /dev/full, the one file that always fills up.
    if (WINDOWS_BUILD && c.arguments.find("/dev/full") != std::string::npos) continue;
    Outcome run = RunCli(dir, c.arguments);
    EXPECT_EQ(run.code, c.code) << c.arguments << "\n" << run.err;
    EXPECT_NE((run.out + run.err).find(c.text), std::string::npos)
        << c.arguments << "\n" << run.out << run.err;
  }
}

// The input is read first: a file that cannot be used, or an output that would overwrite
// it by any name, ends the run before identification and before any output is opened,
// and the input keeps its bytes.
TEST_F(CliTest, InputProblemsStopTheRunBeforeAnyTraffic) {
  std::string input = dir.Path("s200.bit");
  std::string before = ReadFile(input);
  std::filesystem::create_symlink(input, dir.Path("soft.bit"));
  std::filesystem::create_hard_link(input, dir.Path("hard.bit"));
  dir.Write("text.bit", std::vector<uint8_t>(100, 'x'));
  BitstreamOptions huge;
  huge.rawBody = true;
  huge.dataSize = MAX_DATA_BYTES + 1;
  ASSERT_TRUE(WriteBitFile(dir.Path("huge.bit").c_str(), huge));
  // A record whose checksum is off by one, and a record past the largest PROM.
  dir.Write("checksum.mcs", Text(":020000040000FA\r\n:0100000055AA\r\n:0100010055A8\r\n"
                                 ":00000001FF\r\n"));
  dir.Write("beyond.mcs", Text(":020000040008F2\n:0100000055AA\n:00000001FF\n"));
  // An output of the other kind that must never be created.
  const std::string unused = dir.Path("unused.out");
  struct Case {
    std::string arguments;
    std::string err;
  };
  const Case cases[] = {
      {"--trace " + Bit("s200.bit") + " program " + Bit("s200.bit"),
       "the trace file '" + input + "' is the input file"},
      {"--vcd " + Bit("s200.bit") + " prom " + Bit("s200.bit"), "the waveform file"},
      {"--trace " + Bit("soft.bit") + " fpga " + Bit("s200.bit"), "is the input file"},
      {"--vcd " + Bit("hard.bit") + " program " + Bit("soft.bit"), "is the input file"},
      {"program " + Bit("missing.bit"), "Error: File not Found !"},
      {"program " + Bit("text.bit"), "Error: Wrong file format!"},
      {"program " + Bit("huge.bit"), "is over 4194304 bytes: no supported device takes"},
      {"prom " + Bit("checksum.mcs"),
       "checksum.mcs': line 3: bad checksum (the record needs A9)"},
      {"verify " + Bit("beyond.mcs"),
       "beyond.mcs': line 2: data at address 524288 lies beyond the 524288 bytes"},
  };
  for (const Case& c : cases) {
    for (const char* board : {"sim:prom", "sim:xc3s200"}) {
      std::string other = c.arguments.rfind("--vcd", 0) == 0 ? " --trace '" : " --vcd '";
      Outcome run =
          RunCli(dir, "--board " + std::string(board) + other + unused + "' " + c.arguments);
      EXPECT_EQ(run.code, 2) << c.arguments << "\n" << run.err;
      EXPECT_EQ(run.out, "") << c.arguments;  // not even identified
      EXPECT_NE(run.err.find(c.err), std::string::npos) << c.arguments << "\n" << run.err;
      EXPECT_FALSE(std::filesystem::exists(unused)) << c.arguments;
      EXPECT_EQ(ReadFile(input), before) << c.arguments;
    }
  }
}

size_t CountWrites(const std::string& trace) {
  size_t writes = 0;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) writes += line.rfind("write ", 0) == 0;
  return writes;
}

// A design for the other part is refused after identification, before anything is erased
// or configured: the trace holds no more writes than detect's (identification, then the
// chain's codes behind a PROM). A .bit names its part in the header, a PROM file by the
// IDCODE its stream writes. --force sends it, and a header without a part is not refused
// for that.
TEST_F(CliTest, TheFilesPartMustBeTheChainsFpga) {
  BitstreamOptions s400;
  s400.part = BitPart::Xc3s400;
  ASSERT_TRUE(WriteBitFile(dir.Path("s400.bit").c_str(), s400));
  dir.Write("s400.mcs", testing::AsPromFile(MakeBitstreamBody(s400, PartDataSize(s400.part))));
  dir.Write("nopart.bit", WithoutPart(MakeBitFile(s400)));
  const std::string trace = dir.Path("t.txt");
  const std::pair<const char*, const char*> designs[] = {
      {"s400.bit", "design for 3s400ft256 but the chain holds an XC3S200"},
      {"s400.mcs", "design for XC3S400 (IDCODE 0x0141C093) but the chain holds an XC3S200"}};
  for (const auto& [file, named] : designs) {
    for (const char* run : {"--board sim:prom prom", "--board sim:prom program",
                            "--board sim:prom fpga", "--board sim:xc3s200 program"}) {
      SCOPED_TRACE(std::string(run) + " " + file);
      std::string board = std::string(run).substr(0, std::string(run).rfind(' '));
      RunCli(dir, board + " --trace '" + trace + "' detect");
      size_t detectWrites = CountWrites(ReadFile(trace));
      Outcome refused = RunCli(dir, std::string(run) + " --trace '" + trace + "' " + Bit(file));
      EXPECT_EQ(refused.code, 2) << refused.err;
      EXPECT_NE(refused.err.find(named), std::string::npos) << refused.err;
      EXPECT_EQ(refused.out.find("DOWNLOAD"), std::string::npos);
      EXPECT_LE(CountWrites(ReadFile(trace)), detectWrites);
    }
    // The PROM stores whatever it is given.
    Outcome forced = RunCli(dir, "--board sim:prom --force prom " + Bit(file));
    EXPECT_EQ(forced.code, 0) << file << "\n" << forced.err;
  }
  // The FPGA alone rejects a design for another part.
  Outcome forced = RunCli(dir, "--board sim:xc3s200 fpga --force " + Bit("s400.bit"));
  EXPECT_EQ(forced.code, 1);
  EXPECT_NE(forced.err.find("the FPGA rejected the data (INIT low)"), std::string::npos)
      << forced.err;
  Outcome unnamed = RunCli(dir, "--board sim:xc3s400 program " + Bit("nopart.bit"));
  EXPECT_EQ(unnamed.code, 0) << unnamed.err;
}

TEST_F(CliTest, InfoDescribesTheFileAndWhatProgramWouldDo) {
  BitstreamOptions s400;
  s400.part = BitPart::Xc3s400;
  dir.Write("nopart.bit", WithoutPart(MakeBitFile(s400)));
  BitstreamOptions truncated;
  truncated.defect = BitDefect::TruncatedHeader;
  ASSERT_TRUE(WriteBitFile(dir.Path("truncated.bit").c_str(), truncated));
  dir.Write("headerless.bit", std::vector<uint8_t>(4096, 0xFF));

  Outcome good = RunCli(dir, "info " + Bit("s200.bit"));
  EXPECT_EQ(good.code, 0) << good.err;
  for (const char* line : {"design: torvane_test\n", "part: 3s200ft256\n",
                           "data length: 130952 bytes\n",
                           "program on XC3S200 alone: configures the FPGA",
                           "program on XC3S200 and XCF02S: erases and programs the PROM",
                           "program on any other chain: refused: the file is a design for "
                           "3s200ft256"}) {
    EXPECT_NE(good.out.find(line), std::string::npos) << line << "\n" << good.out;
  }
  // Every chain of another FPGA refuses it in that one line.
  EXPECT_EQ(good.out.find("program on XC3S400"), std::string::npos) << good.out;
  Outcome unnamed = RunCli(dir, "info " + Bit("nopart.bit"));
  EXPECT_EQ(unnamed.code, 0) << unnamed.err;
  EXPECT_NE(unnamed.out.find("part: (none)\n"), std::string::npos) << unnamed.out;
  EXPECT_EQ(unnamed.out.find("refused: the file is a design"), std::string::npos) << unnamed.out;
  for (const char* bad : {"truncated.bit", "headerless.bit"}) {
    Outcome run = RunCli(dir, "info " + Bit(bad));
    EXPECT_EQ(run.code, 2) << bad;
    EXPECT_EQ(run.out, "") << bad;
    EXPECT_NE(run.err.find("Wrong file format"), std::string::npos) << bad << run.err;
  }
}

// Standard output is one JSON object and nothing else; the options may come anywhere.
testing::JsonValue ParseOutput(const Outcome& run, const std::string& arguments) {
  testing::JsonValue object;
  EXPECT_TRUE(testing::JsonReader(run.out).ReadWhole(&object)) << arguments << "\n" << run.out;
  EXPECT_EQ(object.kind, testing::JsonValue::Kind::Object) << arguments;
  EXPECT_EQ(object["seconds"].kind, testing::JsonValue::Kind::Number) << arguments;
  EXPECT_GE(object["seconds"].number, 0) << arguments;
  return object;
}

TEST_F(CliTest, JsonResultsInAnyOptionOrder) {
  for (const char* arguments : {"--json --board sim:prom detect", "detect --board sim:prom --json",
                                "--board sim:prom detect --json"}) {
    Outcome run = RunCli(dir, arguments);
    EXPECT_EQ(run.code, 0) << arguments << "\n" << run.err;
    testing::JsonValue object = ParseOutput(run, arguments);
    EXPECT_EQ(object["command"].text, "detect");
    EXPECT_EQ(object["verdict"].text, "complete");
    EXPECT_EQ(object["cause"].kind, testing::JsonValue::Kind::Null);
    const auto& chain = object["chain"].items;
    ASSERT_EQ(chain.size(), 2u) << arguments;
    EXPECT_EQ(chain[0]["name"].text, "XC3S200");
    EXPECT_EQ(chain[0]["irLength"].number, 6);
    EXPECT_EQ(chain[1]["idcode"].text, "0xF5045093");
    EXPECT_EQ(chain[1]["position"].number, 2);
  }
  struct Case {
    std::string arguments;
    int code;
    std::string verdict;
    std::string chain;
    std::string cause;  // a part of it, also on standard error; empty: null
  };
  BitstreamOptions s400;
  s400.part = BitPart::Xc3s400;
  ASSERT_TRUE(WriteBitFile(dir.Path("s400.bit").c_str(), s400));
  const Case cases[] = {
      {"fpga --json " + Bit("s200.bit") + " --board sim:prom", 0, "complete",
       "XC3S200 and XCF02S", ""},
      {"--board sim:xc3s200 fpga " + Bit("one.bit") + " --json", 1, "failed", "XC3S200 alone",
       "DONE low, INIT high"},
      {"prom " + Bit("s400.bit") + " --json --board sim:prom", 2, "refused",
       "XC3S200 and XCF02S", "a design for 3s400ft256"},
  };
  for (const Case& c : cases) {
    Outcome run = RunCli(dir, c.arguments);
    EXPECT_EQ(run.code, c.code) << c.arguments << "\n" << run.err;
    testing::JsonValue object = ParseOutput(run, c.arguments);
    EXPECT_EQ(object["verdict"].text, c.verdict) << c.arguments;
    EXPECT_EQ(object["chain"].text, c.chain) << c.arguments;
    if (c.cause.empty()) {
      EXPECT_EQ(object["cause"].kind, testing::JsonValue::Kind::Null) << c.arguments;
    } else {
      EXPECT_NE(object["cause"].text.find(c.cause), std::string::npos) << c.arguments;
      EXPECT_NE(run.err.find("torvane-cli: " + object["cause"].text), std::string::npos)
          << c.arguments << "\n" << run.err;
    }
  }
  Outcome info = RunCli(dir, "info " + Bit("s400.bit") + " --json");
  testing::JsonValue object = ParseOutput(info, "info");
  EXPECT_EQ(object["part"].text, "3s400ft256");
  EXPECT_EQ(object["dataLength"].number, 212392);
  EXPECT_EQ(object["program"].members.size(), cli::LoadableChains().size());
  EXPECT_EQ(object["program"]["XC3S400 alone"].text, "configures the FPGA (volatile)");
}

TEST_F(CliTest, TraceAndWaveformTogetherRecordTheSameSession) {
  std::string trace = dir.Path("t.txt");
  std::string vcd = dir.Path("t.vcd");
  Outcome run = RunCli(dir, "--board sim:prom --trace '" + trace + "' --vcd '" + vcd + "' detect");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(ReadFile(trace).rfind("open ok\n", 0), 0u);
  EXPECT_NE(ReadFile(vcd).find("$enddefinitions $end"), std::string::npos);
}

// Nothing at all of a configuration goes into a chain without a supported device.
TEST_F(CliTest, AChainWithoutASupportedDeviceGetsNoDownload) {
  std::string trace = dir.Path("dead.txt");
  Outcome run = RunCli(dir, "--board sim:dead --trace '" + trace + "' fpga " + Bit("s200.bit"));
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("Interface not present !"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("no supported device answered"), std::string::npos) << run.err;
  std::string lines = ReadFile(trace);
  EXPECT_NE(lines.find("status 64"), std::string::npos) << "identification ran";
  EXPECT_EQ(lines.find("latency"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("baud"), std::string::npos) << lines;
}

TEST_F(CliTest, UnopenableCableSaysWhy) {
  Outcome run = RunCli(dir, "--board usb detect");
  if (run.out.rfind("USB : Connected", 0) == 0) {
    GTEST_SKIP() << "the cable opened (an FT232R, or the stand-in driver's board)";
  }
  if (run.err.find("no USB backend") != std::string::npos) {
    GTEST_SKIP() << "this build has no USB backend";
  }
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out.rfind("USB : Not Connected\n", 0), 0u) << run.out;
  EXPECT_NE(run.err.find("torvane-cli: "), std::string::npos) << "no reason given";
}

// The Windows build's cable is the vendor driver library loaded at run time: here the
// stand-in one beside the program, whose board file names the board that answers.
TEST_F(CliTest, TheWindowsBuildDrivesTheCableThroughTheDriverLibrary) {
  const std::filesystem::path folder = std::filesystem::path(PROGRAM).parent_path();
  if (!WINDOWS_BUILD || !std::filesystem::exists(folder / "ftd2xx.dll")) {
    GTEST_SKIP() << "for the Windows build beside the stand-in ftd2xx.dll "
                    "(scripts/windows-test.sh runs it so)";
  }
  const std::string boardFile = (folder / "ftd2xx-board.txt").string();
  auto plug = [&](const char* board) { std::ofstream(boardFile) << board << "\n"; };

  plug("xc3s200");
  std::string trace = dir.Path("usb.txt");
  Outcome run = RunCli(dir, "--board usb --trace '" + trace + "' program " + Bit("s200.bit"));
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "USB : Connected\nDownload FPGA XC3S200\nDOWNLOAD COMPLETE !\n");
  EXPECT_EQ(ReadFile(trace).rfind("open ok\n", 0), 0u);

  plug("none");
  run = RunCli(dir, "--board usb detect");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "USB : Not Connected\nJTAG : not found (0)\n");
  EXPECT_NE(run.err.find("finds no FT232R"), std::string::npos) << run.err;
  std::filesystem::remove(boardFile);

  // Without the library the message says which driver to install, and which not.
  const std::string alone = dir.Path("torvane-cli.exe");
  std::filesystem::copy_file(PROGRAM, alone);
  run = RunProgram(dir, alone, "--board usb detect");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out.rfind("USB : Not Connected\n", 0), 0u) << run.out;
  for (const char* needed : {"ftd2xx.dll", "D2XX driver", "No Zadig or libusb"}) {
    EXPECT_NE(run.err.find(needed), std::string::npos) << needed << "\n" << run.err;
  }
}

// The driver library also lists its chips: the stand-in one has one FT232R while a board
// is plugged in, which --serial opens and no other serial number does.
TEST_F(CliTest, TheWindowsBuildListsTheCablesTheDriverLibraryKnows) {
  const std::filesystem::path folder = std::filesystem::path(PROGRAM).parent_path();
  if (!WINDOWS_BUILD || !std::filesystem::exists(folder / "ftd2xx.dll")) {
    GTEST_SKIP() << "for the Windows build beside the stand-in ftd2xx.dll "
                    "(scripts/windows-test.sh runs it so)";
  }
  const std::string boardFile = (folder / "ftd2xx-board.txt").string();
  const std::string serial = sim::SIM_CABLE_SERIAL;
  auto plug = [&](const char* board) { std::ofstream(boardFile) << board << "\n"; };

  plug("xc3s200");
  Outcome run = RunCli(dir, "cables");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "  \"FT232R USB UART\"  serial " + serial + "  can be opened\n");
  run = RunCli(dir, "--serial " + serial + " program " + Bit("s200.bit"));
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "USB : Connected\nDownload FPGA XC3S200\nDOWNLOAD COMPLETE !\n");
  run = RunCli(dir, "--serial A9008AAA detect");
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("no FT232R has the serial number 'A9008AAA'"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("serial " + serial), std::string::npos) << "the list follows";

  plug("none");
  run = RunCli(dir, "cables");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "no FT232R (USB 0403:6001) is attached\n");
  std::filesystem::remove(boardFile);

  const std::string alone = dir.Path("torvane-cli.exe");
  std::filesystem::copy_file(PROGRAM, alone);
  run = RunProgram(dir, alone, "cables");
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("ftd2xx.dll) is not installed"), std::string::npos) << run.err;
}

// An independent decoder reads the waveform: the instructions must be the ones shifted.
TEST_F(CliTest, SigrokDecodesTheInstructionsInTheWaveform) {
  if (RunShell(dir, "command -v sigrok-cli").code != 0) {
    GTEST_SKIP() << "sigrok-cli is not installed (Debian package sigrok-cli): "
                    "the waveform is not checked by an independent decoder";
  }
  const std::string decode =
      "sigrok-cli -P jtag:tck=tck:tms=tms:tdi=tdi:tdo=tdo -A jtag=bitstrings-tdi -i ";
  struct Case {
    std::string arguments;
    std::string instructions;  // the IR lines sigrok prints, in order
  };
  const Case cases[] = {
      {"--board sim:prom detect", "IR TDI: 00100111111110 (0x9fe), 14 bits\n"},
      {"--board sim:xc3s200 fpga " + Bit("one.bit"),
       "IR TDI: 00100111111110 (0x9fe), 14 bits\nIR TDI: 001011 (0xb), 6 bits\n"
       "IR TDI: 111111 (0x3f), 6 bits\n"},
  };
  for (const Case& c : cases) {
    std::string vcd = dir.Path("jtag.vcd");
    RunCli(dir, "--vcd '" + vcd + "' " + c.arguments);
    Outcome decoded = RunShell(dir, decode + "'" + vcd + "'");
    ASSERT_EQ(decoded.code, 0) << decoded.err;
    std::string instructions;
    std::istringstream lines(decoded.out);
    for (std::string line; std::getline(lines, line);) {
      size_t at = line.find("IR TDI: ");
      if (at != std::string::npos) instructions += line.substr(at) + "\n";
    }
    EXPECT_EQ(instructions.substr(0, c.instructions.size()), c.instructions)
        << c.arguments << "\n" << decoded.out;
  }
}

}  // namespace
}  // namespace torvane
