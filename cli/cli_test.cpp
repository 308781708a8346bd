// torvane-cli run as a user runs it, on the simulated boards: exit codes, the verdict on
// standard output, diagnostics on standard error, and the waveform read by sigrok-cli.
// TORVANE_CLI_UNDER_TEST names another build of the program (torvane-cli.exe) and
// TORVANE_CLI_RUNNER what runs it (Wine); the Windows build then also meets its driver.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bitfile/bit_file.h"
#include "tests/support/scratch_dir.h"
#include "tools/make_bitstream.h"

namespace torvane {
namespace {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

// The text with Windows line ends read as plain ones: the same lines on every build.
std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string lines = text.str();
  for (size_t at = lines.find("\r\n"); at != std::string::npos; at = lines.find("\r\n", at)) {
    lines.erase(at, 1);
  }
  return lines;
}

std::string Setting(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

const std::string PROGRAM = Setting("TORVANE_CLI_UNDER_TEST", TORVANE_CLI);
const std::string RUNNER = Setting("TORVANE_CLI_RUNNER", "");
const bool WINDOWS_BUILD =
    PROGRAM.size() > 4 && PROGRAM.compare(PROGRAM.size() - 4, 4, ".exe") == 0;

// Runs a shell command line with standard output and error captured apart.
Outcome RunShell(const testing::ScratchDir& dir, const std::string& command) {
  std::string out = dir.Path("stdout.txt");
  std::string err = dir.Path("stderr.txt");
  int status = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return {code, ReadFile(out), ReadFile(err)};
}

Outcome RunProgram(const testing::ScratchDir& dir, const std::string& program,
                   const std::string& arguments) {
  return RunShell(dir, RUNNER + " '" + program + "' " + arguments);
}

Outcome RunCli(const testing::ScratchDir& dir, const std::string& arguments) {
  return RunProgram(dir, PROGRAM, arguments);
}

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
  const Case cases[] = {
      {"--board sim:xc3s200 detect", 0, fpga, ""},
      {"--board sim:prom detect", 0, prom, ""},
      {"--board sim:none detect", 1, none, ""},
      {"--board sim:dead detect", 1, "USB : Connected\nJTAG : not found (FFFFFFFF)\n", ""},
      {"--board sim:xc3s200 program " + Bit("s200.bit"), 0, fpga + "DOWNLOAD COMPLETE !\n",
       "progress 100%"},
      {"--board sim:xc3s200 fpga " + Bit("s200.bit"), 0, fpga + "DOWNLOAD COMPLETE !\n", ""},
      {"--board sim:prom prom " + Bit("s200.bit"), 0, prom + "DOWNLOAD COMPLETE !\n", ""},
      {"--board sim:prom400 program " + Bit("s200.bit"), 0,
       "USB : Connected\nDownload PROM\nDOWNLOAD COMPLETE !\n", ""},
      // A byte of configuration leaves the FPGA unconfigured: the verdict says so.
      {"--board sim:xc3s200 fpga " + Bit("one.bit"), 1, fpga + "DOWNLOAD FAILED !\n",
       "torvane-cli: the FPGA did not start (DONE low, INIT high)"},
      // Nothing is sent into a chain without a supported device.
      {"--board sim:none program " + Bit("s200.bit"), 1, none,
       "torvane-cli: no supported device answered"},
      {"--board sim:dead fpga " + Bit("s200.bit"), 1,
       "USB : Connected\nJTAG : not found (FFFFFFFF)\n", "Interface not present !"},
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

TEST_F(CliTest, UsageAndFileErrorsExitTwo) {
  struct Case {
    std::string arguments;
    int code;
    std::string text;  // expected in standard output or error
  };
  const Case cases[] = {
      {"", 2, "A subcommand is required"},
      {"program", 2, "FILE is required"},
      {"--board sim:nowhere detect", 2, "unknown simulated board 'sim:nowhere'"},
      {"--board serial detect", 2, "unknown board 'serial'"},
      {"--board sim:prom --trace '" + dir.Path("no/such/dir/t.txt") + "' detect", 2,
       "cannot create the trace file"},
      {"--board sim:prom --vcd /dev/full detect", 2, "waveform file could not be written"},
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

TEST_F(CliTest, TraceAndWaveformTogetherRecordTheSameSession) {
  std::string trace = dir.Path("t.txt");
  std::string vcd = dir.Path("t.vcd");
  Outcome run = RunCli(dir, "--board sim:prom --trace '" + trace + "' --vcd '" + vcd + "' detect");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(ReadFile(trace).rfind("open ok\n", 0), 0u);
  EXPECT_NE(ReadFile(vcd).find("$enddefinitions $end"), std::string::npos);
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
