// What the wire carries, run by run: every command on every simulated board, its trace
// reduced to a digest and held against the digests below, so that a change inside the
// program that should leave the traffic alone is seen to leave it alone.
//
// The inputs are raw bodies of fixed seeds (a packet body only where a device must start),
// so the rows do not move when the generator's packets change.
//
// To regenerate after a deliberate change of the traffic: run
//   cli_tests --gtest_filter='TraceDigest.*'
// and copy the rows it prints for the runs whose trace changed. One row per run.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/support/cli_process.h"
#include "tests/support/scratch_dir.h"
#include "tools/make_bitstream.h"

namespace torvane {
namespace {

using testing::Outcome;
using testing::ReadFile;
using testing::RunCli;

// FNV-1a, 64 bits.
uint64_t Digest(const std::string& text) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

struct TracedRun {
  const char* name;
  const char* arguments;  // FILE stands for the input named after it, OUT for a new file
  uint64_t digest;
};

// Inputs: raw0, raw1, raw512, raw513 (raw bodies of that many bytes, the part XC3S200);
// packet (a 1024-byte packet body for the XC3S200, which starts it).
constexpr TracedRun RUNS[] = {
    {"xc3s200 detect", "--board sim:xc3s200 detect", 0x1646D66CF96F3E6E},
    {"xc3s400 detect", "--board sim:xc3s400 detect", 0x04B4BA7A8B049267},
    {"prom detect", "--board sim:prom detect", 0x145F0A02304D2173},
    {"prom400 detect", "--board sim:prom400 detect", 0x7ABD5C239378C472},
    {"prom-jtagmode detect", "--board sim:prom-jtagmode detect", 0x145F0A02304D2173},
    {"prom-stuck detect", "--board sim:prom-stuck detect", 0x145F0A02304D2173},
    {"dead detect", "--board sim:dead detect", 0xF5A481356226ABB2},
    {"none detect", "--board sim:none detect", 0x7F0F8AE10CD41F0C},
    {"xc3s200 program raw0", "--board sim:xc3s200 program FILE raw0", 0x15583992B7866650},
    {"xc3s200 program raw1", "--board sim:xc3s200 program FILE raw1", 0x517ED7E897E0E07F},
    {"xc3s200 fpga raw513", "--board sim:xc3s200 fpga FILE raw513", 0x9E71B32A107D5B90},
    {"xc3s200 program packet", "--board sim:xc3s200 program FILE packet", 0x4693E6EDD1BA51FD},
    {"xc3s200 prom raw1", "--board sim:xc3s200 prom FILE raw1", 0xB6BD968EEF81A8BC},
    {"xc3s200 verify raw1", "--board sim:xc3s200 verify FILE raw1", 0xB6BD968EEF81A8BC},
    {"xc3s400 program packet", "--board sim:xc3s400 program FILE packet", 0xD006A9AADBF4914C},
    {"xc3s400 fpga raw512 forced", "--board sim:xc3s400 --force fpga FILE raw512",
     0xB66B10792B60A31F},
    {"prom program raw0", "--board sim:prom program FILE raw0", 0xF8B5E7C462DCD9E2},
    {"prom program raw1", "--board sim:prom program FILE raw1", 0x0A6E0BA586FACE62},
    {"prom program raw512", "--board sim:prom program FILE raw512", 0x3A585833DD6B4AB3},
    {"prom program raw513", "--board sim:prom program FILE raw513", 0x12414C8DBD4C1D63},
    {"prom program packet", "--board sim:prom program FILE packet", 0x1F8836EF4281844B},
    {"prom program packet verified", "--board sim:prom program --verify FILE packet",
     0x36ED5F49E3157D9D},
    {"prom prom raw512", "--board sim:prom prom FILE raw512", 0x3A585833DD6B4AB3},
    {"prom fpga raw513", "--board sim:prom fpga FILE raw513", 0x7BDDA9AC2520A596},
    {"prom fpga packet", "--board sim:prom fpga FILE packet", 0xDD1E3EF56F06CE03},
    {"prom verify raw513", "--board sim:prom verify FILE raw513", 0x9E105377D723554C},
    {"prom read", "--board sim:prom read OUT", 0xE9475BFB74D58790},
    {"prom400 program packet", "--board sim:prom400 program FILE packet", 0x7ABD5C239378C472},
    {"prom400 prom raw1 forced", "--board sim:prom400 --force prom FILE raw1", 0x91000CFD9C2D1C2D},
    {"prom-jtagmode program raw512", "--board sim:prom-jtagmode program FILE raw512",
     0x3A585833DD6B4AB3},
    {"prom-jtagmode program packet", "--board sim:prom-jtagmode program FILE packet",
     0xBD107108BD7CC6A1},
    {"prom-stuck prom raw513", "--board sim:prom-stuck prom FILE raw513", 0xAF68E3118077E1E8},
    {"dead program raw1", "--board sim:dead program FILE raw1", 0x9F103651DD62F446},
    {"dead verify raw1", "--board sim:dead verify FILE raw1", 0x9F103651DD62F446},
    {"none program raw1", "--board sim:none program FILE raw1", 0x7F0F8AE10CD41F0C},
    {"none read", "--board sim:none read OUT", 0x7F0F8AE10CD41F0C},
};

class TraceDigest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (size_t size : {0, 1, 512, 513}) {
      BitstreamOptions options;
      options.rawBody = true;
      options.dataSize = size;
      options.seed = 7;
      std::string name = "raw" + std::to_string(size);
      ASSERT_TRUE(WriteBitFile(dir.Path(name.c_str()).c_str(), options));
    }
    BitstreamOptions packet;
    packet.dataSize = 1024;
    packet.seed = 7;
    ASSERT_TRUE(WriteBitFile(dir.Path("packet").c_str(), packet));
  }

  // The arguments with FILE and OUT replaced by paths in the scratch directory.
  std::string Arguments(const std::string& row) const {
    std::string arguments = row;
    size_t file = arguments.find("FILE ");
    if (file != std::string::npos) {
      std::string input = arguments.substr(file + 5);
      arguments = arguments.substr(0, file) + "'" + dir.Path(input.c_str()) + "'";
    }
    size_t out = arguments.find("OUT");
    if (out != std::string::npos) arguments.replace(out, 3, "'" + dir.Path("out.bin") + "'");
    return arguments;
  }

  testing::ScratchDir dir;
};

TEST_F(TraceDigest, EveryRunCarriesTheTrafficItAlwaysHas) {
  std::string changed;
  for (const TracedRun& run : RUNS) {
    const std::string trace = dir.Path("trace.txt");
    std::remove(trace.c_str());
    std::remove(dir.Path("out.bin").c_str());
    Outcome outcome = RunCli(dir, "--trace '" + trace + "' " + Arguments(run.arguments));
    uint64_t digest = Digest(ReadFile(trace));
    if (digest != run.digest) {
      char row[256];
      int length = std::snprintf(row, sizeof row, "    {\"%s\", \"%s\",", run.name, run.arguments);
      std::snprintf(row + length, sizeof row - length, "%s0x%016llX},\n",
                    length > 78 ? "\n     " : " ", static_cast<unsigned long long>(digest));
      changed += row;
    }
    EXPECT_EQ(digest, run.digest) << run.name << " (exit " << outcome.code << ")";
  }
  if (!changed.empty()) std::printf("Rows whose trace changed:\n%s", changed.c_str());
}

}  // namespace
}  // namespace torvane
