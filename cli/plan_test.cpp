// 'info' says what 'program' would do with a file on each chain; 'program' then does it.
// Both run in-process through the CLI's command table on every simulated board with every
// kind of sample file (.bit, .mcs, .bin), and what program did is read off the board itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cli/adapter_choice.h"
#include "cli/commands.h"
#include "cli/plan.h"
#include "cli/run.h"
#include "procedures/parts.h"
#include "sim/board.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/bit_file_edits.h"
#include "tests/support/json_value.h"
#include "tests/support/scratch_dir.h"
#include "tools/make_bitstream.h"

namespace torvane::cli {
namespace {

// The chain a board holds, named as info names it.
std::string BoardChain(const sim::Board& board) {
  ChainParts chain;
  chain.fpga = FindPart(board.chain().front()->idcode());
  if (board.chain().size() > 1) chain.prom = FindPart(board.chain().back()->idcode());
  return ChainName(chain);
}

// What info says program does with `file` on `chain`.
std::string InfoPlan(const std::string& file, const std::string& chain) {
  Options options;
  options.file = file;
  options.json = true;
  RunReport report;
  AdapterChoice choice;
  EXPECT_EQ(Run(EntryFor(Command::Info), options, report, choice), RunVerdict::Complete);
  testing::JsonValue info;
  EXPECT_TRUE(testing::JsonReader(report.details.str()).ReadWhole(&info));
  return info["program"][chain].text;
}

TEST(PlanTest, ProgramDoesWhatInfoSaysOnEveryChain) {
  testing::ScratchDir dir;
  BitstreamOptions s400;
  s400.part = BitPart::Xc3s400;
  BitstreamOptions oneByte;
  oneByte.dataSize = 1;
  BitstreamOptions overPromSize;
  overPromSize.rawBody = true;
  overPromSize.dataSize = PromCapacity(*FindPart(IDCODE_PROM_XCF02S)) + 1;
  // The PROM files name their part by the IDCODE in their stream, not by a header.
  const std::vector<uint8_t> s200Data =
      MakeBitstreamBody(BitstreamOptions{}, PartDataSize(BitPart::Xc3s200));
  const std::vector<uint8_t> s400Data = MakeBitstreamBody(s400, PartDataSize(BitPart::Xc3s400));
  const std::string files[] = {
      dir.Write("s200.bit", MakeBitFile(BitstreamOptions{})),
      dir.Write("s400.bit", MakeBitFile(s400)),
      dir.Write("s400.mcs", testing::AsPromFile(s400Data)),
      dir.Write("s200.bin", s200Data),
      dir.Write("nopart.bit", testing::WithoutPart(MakeBitFile(s400))),
      dir.Write("one.bit", MakeBitFile(oneByte)),
      dir.Write("large.bit", MakeBitFile(overPromSize)),
  };
  size_t refused = 0;
  for (const sim::BoardInfo& info : sim::Boards()) {
    if (sim::Board(info.kind).chain().empty()) continue;
    for (const std::string& file : files) {
      SCOPED_TRACE(std::string(info.name) + ", " + file);
      Options options;
      options.board = std::string("sim:") + info.name;
      options.file = file;
      options.quiet = true;
      options.json = true;
      RunReport report;
      AdapterChoice choice;
      RunVerdict verdict = cli::Run(EntryFor(Command::Program), options, report, choice);
      const sim::Board& board = *choice.board();
      const std::string plan = InfoPlan(file, BoardChain(board));

      const auto& log = board.fpga()->instructionLog();
      bool configured = std::count(log.begin(), log.end(), sim::Fpga::INSTR_CFG_IN) > 0;
      bool programmed = board.prom() && board.prom()->erases() > 0;
      if (plan.rfind("refused: ", 0) == 0) {
        ++refused;
        EXPECT_EQ(verdict, RunVerdict::Refused);
        EXPECT_EQ(report.cause, plan.substr(9));
        EXPECT_FALSE(configured || programmed);
      } else if (plan.rfind("configures the FPGA", 0) == 0) {
        EXPECT_NE(verdict, RunVerdict::Refused) << report.cause;
        EXPECT_TRUE(configured && !programmed);
      } else {
        EXPECT_EQ(plan.rfind("erases and programs the PROM", 0), 0u) << plan;
        EXPECT_NE(verdict, RunVerdict::Refused) << report.cause;
        EXPECT_TRUE(programmed && !configured);
      }
    }
  }
  EXPECT_GT(refused, 0u);
}

}  // namespace
}  // namespace torvane::cli
