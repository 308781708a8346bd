// Each command's function, and the table that names them.
#include "cli/commands.h"

#include <cstdio>
#include <string>

#include "cable/cable.h"
#include "cable/cable_choice.h"
#include "cli/chain_listing.h"
#include "cli/command_run.h"
#include "cli/file_info.h"
#include "cli/prom_file.h"
#include "procedures/chain_scan.h"
#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "procedures/prom_check.h"
#include "procedures/session.h"

namespace torvane::cli {

namespace {

// What the core found, through the report: the cause it names, or the verdict's own text
// when it names none; on standard output (not under --json) the note that a good PROM
// did not start the FPGA.
RunVerdict Explain(DownloadResult result, CommandRun& run) {
  const DownloadReport& found = run.state.report;
  std::string cause = CauseText(result, found);
  if (!cause.empty()) {
    run.report.Fail(cause);
  } else if (result == DownloadResult::Failed) {
    run.report.Note(VerdictText(result));
  } else if (result == DownloadResult::Complete && found.readBack && !found.doneRose &&
             !run.options.json) {
    std::printf("note: the PROM holds the design but the FPGA did not start from it "
                "(check the mode pins, or the part the design was built for)\n");
  }
  return VerdictOf(result);
}

// The chain as identification named it, then every device from TDI to TDO.
RunVerdict RunDetect(CommandRun& run) {
  run.report.chain = "null";
  if (run.found.openStatus == ADAPTER_OK) {
    ChainListing listing = ReadChain(run.state.link);
    if (!run.options.json) PrintChainListing(listing, stdout);
    run.report.chain = ChainJson(listing);
    std::string problem = ChainProblem(listing.result);
    if (!problem.empty()) run.report.Fail(problem);
  }
  if (!run.found.known) run.report.Note(TEXT_NO_DEVICE);
  return run.found.known ? RunVerdict::Complete : RunVerdict::Failed;
}

// program, fpga and prom: what the plan says, on the chain identification found.
RunVerdict RunDownload(CommandRun& run) {
  // Behind the PROM the FPGA is known only from the whole chain, read (reads only,
  // nothing erased or configured) when the file's part is to be checked against it.
  if (run.chain.prom && !run.options.force && NamesPart(run.input)) {
    run.chain.fpga = ChainFpga(ReadChain(run.state.link));
    run.report.chain = JsonString(ChainName(run.chain));
  }
  Plan plan = PlanFor(run.input, run.chain, run.command, run.options.force);
  DownloadResult result = DownloadResult::NotPresent;
  switch (plan.action) {
    case PlanAction::Refuse:
      run.report.Fail(plan.reason);
      return RunVerdict::Refused;
    case PlanAction::NoDevice:
      result = ShowNotPresent(run.host);
      break;
    case PlanAction::ConfigureFpga:
      result = DownloadFpgaFrom(run.state, run.host, run.input.bit, FpgaChain::Alone);
      break;
    case PlanAction::ConfigureBehindProm:
      result = DownloadFpgaFrom(run.state, run.host, run.input.bit, FpgaChain::BehindProm);
      break;
    case PlanAction::ProgramProm:
      result = DownloadPromFrom(run.state, run.host, run.input.bit);
      break;
  }
  run.host.FinishProgress();
  return Explain(result, run);
}

// verify and read work on the PROM chain only, with no erase and no write.
bool PromAnswered(CommandRun& run) {
  if (run.chain.prom) return true;
  run.report.Fail("no configuration PROM answered: nothing to read back");
  return false;
}

RunVerdict RunVerify(CommandRun& run) {
  if (!PromAnswered(run)) return run.found.known ? RunVerdict::Refused : RunVerdict::Failed;
  DownloadResult result = VerifyProm(run.state, run.host, run.input.bit);
  if (result == DownloadResult::Complete && !run.options.json) {
    std::printf("PROM MATCHES FILE\n");
  } else if (run.state.report.prom == PromCause::PromDiffers && !run.options.json) {
    std::printf("PROM DIFFERS FROM FILE\n");
  }
  return Explain(result, run);
}

RunVerdict RunRead(CommandRun& run) {
  if (!PromAnswered(run)) return run.found.known ? RunVerdict::Refused : RunVerdict::Failed;
  std::string error;
  SaveResult saved = SavePromImage(run.state, run.host, run.options.output, &error);
  if (saved == SaveResult::Saved) {
    if (!run.options.json) {
      std::printf("%u bytes read to %s\n", PromCapacity(*run.chain.prom),
                  run.options.output.c_str());
    }
    return RunVerdict::Complete;
  }
  if (saved == SaveResult::Interrupted) return Explain(DownloadResult::Interrupted, run);
  run.report.Fail(error);
  if (saved == SaveResult::WriteFailed) return RunVerdict::Refused;
  return Explain(DownloadResult::Failed, run);
}

// info: the file alone, no cable.
RunVerdict RunInfo(CommandRun& run) {
  if (run.options.json) {
    run.report.details = FileInfoJson(run.input);
  } else {
    PrintFileInfo(run.input, stdout);
  }
  return RunVerdict::Complete;
}

// cables: the attached FT232R chips, each opened for a moment (never taken from a driver).
RunVerdict RunCables(CommandRun& run) {
  std::vector<CableInfo> cables;
  std::string error;
  if (!MakeCableList(/*tryOpen=*/true)->List(&cables, &error)) {
    run.report.Fail(error);
    return RunVerdict::Refused;
  }
  if (run.options.json) {
    std::vector<std::string> items;
    for (const CableInfo& cable : cables) {
      const char* access[] = {"free", "busy", "no permission", "unknown"};
      JsonObject item;
      item.Text("description", cable.description)
          .Text("serial", cable.serial)
          .Text("access", access[static_cast<int>(cable.access)]);
      items.push_back(item.str());
    }
    run.report.details.Json("cables", JsonArray(items));
  } else if (cables.empty()) {
    std::printf("no FT232R (USB 0403:6001) is attached\n");
  } else {
    std::printf("%s", CableTable(cables).c_str());
  }
  return RunVerdict::Complete;
}

}  // namespace

const std::vector<CommandEntry>& Commands() {
  static const std::vector<CommandEntry> commands = {
      {"detect", Command::Detect, Needs::Chain, RunDetect, Operand::None, false,
       "identify the JTAG chain, print the two status lines and list every device"},
      {"program", Command::Program, Needs::FileAndChain, RunDownload, Operand::File, true,
       "load FILE into what the chain holds (FPGA or PROM)"},
      {"fpga", Command::Fpga, Needs::FileAndChain, RunDownload, Operand::File, false,
       "configure the FPGA from FILE (volatile), alone or behind the PROM (left as it is)"},
      {"prom", Command::Prom, Needs::FileAndChain, RunDownload, Operand::File, true,
       "program the configuration PROM from FILE"},
      {"verify", Command::Verify, Needs::FileAndChain, RunVerify, Operand::File, false,
       "read the PROM back and compare it with FILE; exit 0 when equal, 1 when not"},
      {"read", Command::Read, Needs::Chain, RunRead, Operand::Out, false,
       "read the whole PROM to OUT (XCF01S 131,072 bytes, XCF02S 262,144, XCF04S 524,288; "
       "written whole or not at all): Intel HEX in the vendor's PROM file form when OUT ends "
       "in .mcs, the raw bytes otherwise"},
      {"info", Command::Info, Needs::File, RunInfo, Operand::File, false,
       "print what FILE says of itself (a .bit's header, a PROM file's IDCODE), its PROM "
       "checksum and what program would do with it on each chain"},
      {"cables", Command::Cables, Needs::Nothing, RunCables, Operand::None, false,
       "list the attached FT232R chips: description, serial number, whether each can be "
       "opened"},
  };
  return commands;
}

const CommandEntry& EntryFor(Command command) {
  for (const CommandEntry& entry : Commands()) {
    if (entry.command == command) return entry;
  }
  return Commands().front();
}

}  // namespace torvane::cli
