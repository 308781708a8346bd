// torvane-cli: identification, FPGA configuration and PROM programming from a terminal or
// a script. The same procedures as the dialog, with a progress bar and exit codes.
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/adapter_choice.h"
#include "cli/bit_info.h"
#include "cli/cable.h"
#include "cli/cable_choice.h"
#include "cli/chain_listing.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/prom_file.h"
#include "cli/run_report.h"
#include "cli/stop_signals.h"
#include "cli/terminal_host.h"
#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "procedures/identify.h"
#include "procedures/load_file.h"
#include "procedures/prom_check.h"
#include "procedures/session.h"
#include "procedures/verdict.h"

namespace torvane::cli {
namespace {

// The status lines go to standard output, except in quiet mode. With --json, standard
// output holds the object alone, and the error boxes become the report's cause.
class CliHost : public TerminalHost {
 public:
  CliHost(bool quiet, bool terminal) : TerminalHost(quiet, terminal), quiet_(quiet) {}
  void SetStatusLine(StatusLine line, const char* text) override {
    if (!quiet_ && !json_) TerminalHost::SetStatusLine(line, text);
  }
  void ShowError(MessageOwner owner, const char* text) override {
    TerminalHost::ShowError(owner, text);
    if (report_) report_->Note(text);
  }
  void ShowVerdict(DownloadResult result) override {
    if (json_) {
      FinishProgress();
    } else {
      TerminalHost::ShowVerdict(result);
    }
  }
  void ReportTo(RunReport* report, bool json) {
    report_ = report;
    json_ = json;
  }

 private:
  bool quiet_;
  bool json_ = false;
  RunReport* report_ = nullptr;
};

// The input is read whole before any output is opened and before any adapter traffic: a
// missing or malformed file stops the run there, and the download sends this snapshot.
bool LoadInput(const std::string& path, DialogHost& host, BitFile* input) {
  BitFileError error = LoadBitFile(path.c_str(), input);
  if (error == BitFileError::TooLarge) {
    std::fprintf(stderr,
                 "torvane-cli: the data section of '%s' is over %llu bytes: no supported "
                 "device takes that much\n",
                 path.c_str(), static_cast<unsigned long long>(MAX_DATA_BYTES));
  } else {
    ShowFileError(host, error);
  }
  return error == BitFileError::None;
}

// Nothing the tool writes may land on its input, whatever name leads there.
bool OutputsSpareTheInput(const Options& options, const BitFile& input) {
  const std::pair<const char*, const std::string*> outputs[] = {{"trace", &options.trace},
                                                                {"waveform", &options.vcd}};
  for (const auto& [what, path] : outputs) {
    if (!path->empty() && PathNamesFile(*path, input.identity)) {
      std::fprintf(stderr,
                   "torvane-cli: the %s file '%s' is the input file '%s': refusing to "
                   "overwrite it\n",
                   what, path->c_str(), options.file.c_str());
      return false;
    }
  }
  return true;
}

// What the core found, through the report: the cause it names, or the verdict's own text
// when it names none; on standard output (not under --json) the note that a good PROM
// did not start the FPGA.
RunVerdict Explain(DownloadResult result, const DownloadReport& found, bool json,
                   RunReport& report) {
  std::string cause = CauseText(result, found);
  if (!cause.empty()) {
    report.Fail(cause);
  } else if (result == DownloadResult::Failed) {
    report.Note(VerdictText(result));
  } else if (result == DownloadResult::Complete && found.readBack && !found.doneRose && !json) {
    std::printf("note: the PROM holds the design but the FPGA did not start from it "
                "(check the mode pins, or the part the design was built for)\n");
  }
  return VerdictOf(result);
}

// verify and read: on the PROM chain only, no erase and no write.
RunVerdict RunReadBack(Command command, AppState& state, CliHost& host, const Options& options,
                       const BitFile& input, RunReport& report) {
  if (command == Command::Verify) {
    DownloadResult result = VerifyProm(state, host, input);
    if (result == DownloadResult::Complete && !options.json) {
      std::printf("PROM MATCHES FILE\n");
    } else if (state.report.prom == PromCause::PromDiffers && !options.json) {
      std::printf("PROM DIFFERS FROM FILE\n");
    }
    return Explain(result, state.report, options.json, report);
  }
  std::string error;
  SaveResult saved = SavePromImage(state, host, options.output, &error);
  if (saved == SaveResult::Saved) {
    if (!options.json) {
      std::printf("%u bytes read to %s\n", PromCapacity(PromFor(state.part)), options.output.c_str());
    }
    return RunVerdict::Complete;
  }
  report.Fail(error);
  if (saved == SaveResult::WriteFailed) return RunVerdict::Refused;
  return Explain(DownloadResult::Failed, state.report, options.json, report);
}

// The FPGA the chain holds, for the check of the header's part: an FPGA alone is known from
// identification; behind the PROM it is read from the whole chain (reads only, nothing
// erased or configured). Null when no known FPGA answered.
const Part* ChainedFpga(AppState& state, const IdentifyResult& found) {
  if (state.deviceMode == DeviceMode::Fpga) return FindPart(found.idcode);
  return ChainFpga(ReadChain(state.link));
}

// What the chain held the design for, as --json names it.
std::string ChainText(const AppState& state, const IdentifyResult& found, const Part* fpga) {
  if (state.deviceMode == DeviceMode::Fpga) {
    return std::string(FindPart(found.idcode)->name) + " alone";
  }
  if (state.deviceMode == DeviceMode::Prom) {
    return fpga ? std::string(fpga->name) + " and PROM" : "FPGA and PROM";
  }
  return "none";
}

// info: the file alone, no cable.
RunVerdict RunInfo(const Options& options, RunReport& report) {
  CliHost host(options.quiet, false);
  host.ReportTo(&report, options.json);
  BitFile input;
  if (!LoadInput(options.file, host, &input)) return RunVerdict::Refused;
  if (options.json) {
    report.details = BitInfoJson(input);
  } else {
    PrintBitInfo(input, stdout);
  }
  return RunVerdict::Complete;
}

// cables: the attached FT232R chips, each opened for a moment (never taken from a driver).
RunVerdict RunCables(const Options& options, RunReport& report) {
  std::vector<CableInfo> cables;
  std::string error;
  if (!MakeCableList(/*tryOpen=*/true)->List(&cables, &error)) {
    report.Fail(error);
    return RunVerdict::Refused;
  }
  if (options.json) {
    std::vector<std::string> items;
    for (const CableInfo& cable : cables) {
      const char* access[] = {"free", "busy", "no permission", "unknown"};
      JsonObject item;
      item.Text("description", cable.description)
          .Text("serial", cable.serial)
          .Text("access", access[static_cast<int>(cable.access)]);
      items.push_back(item.str());
    }
    report.details.Json("cables", JsonArray(items));
  } else if (cables.empty()) {
    std::printf("no FT232R (USB 0403:6001) is attached\n");
  } else {
    std::printf("%s", CableTable(cables).c_str());
  }
  return RunVerdict::Complete;
}

RunVerdict Run(Command command, const Options& options, RunReport& report) {
  if (command == Command::Info) return RunInfo(options, report);
  if (command == Command::Cables) return RunCables(options, report);
  AdapterChoice choice;
  std::string error;
  if (!options.serial.empty() && options.board != "usb") {
    report.Fail("--serial names a real cable: it goes with --board usb");
    return RunVerdict::Refused;
  }
  if (!choice.Choose(options.board, &error, options.serial)) {
    report.Fail(error);
    return RunVerdict::Refused;
  }
  CliHost host(options.quiet, StderrIsTerminal());
  host.ReportTo(&report, options.json);
  BitFile input;
  if (command != Command::Detect && command != Command::Read &&
      (!LoadInput(options.file, host, &input) || !OutputsSpareTheInput(options, input))) {
    report.Note("the input file cannot be used");
    return RunVerdict::Refused;
  }
  if (!choice.Record(options.trace, options.vcd, &error)) {
    report.Fail(error);
    return RunVerdict::Refused;
  }
  AppState state;
  state.link.adapter = choice.adapter();
  state.stopRequested = StopRequest();
  state.verifyPromAfterDownload = options.verify;
  if (command == Command::Read && choice.WritesTo(options.output)) {
    report.Fail("'" + options.output + "' is also the trace or waveform file");
    return RunVerdict::Refused;
  }

  IdentifyResult found = IdentifyChain(state, host);
  if (found.openStatus != ADAPTER_OK) {
    std::string problem = choice.OpenProblem();
    if (!problem.empty()) report.Fail(problem);
  }
  if (options.verbose) {
    std::fprintf(stderr, "idcode 0x%08X, open status %d\n", found.idcode, found.openStatus);
  }

  RunVerdict verdict = RunVerdict::Complete;
  const Part* fpga = nullptr;
  if (!choice.FlushFiles(&error)) {
    // Known before anything is erased or configured: the device stays as it was.
    report.Fail(error);
    verdict = RunVerdict::Refused;
  } else if (command == Command::Detect) {
    verdict = found.known ? RunVerdict::Complete : RunVerdict::Failed;
    if (found.openStatus == ADAPTER_OK) {
      ChainListing chain = ReadChain(state.link);
      if (!options.json) PrintChainListing(chain, stdout);
      report.chain = ChainJson(chain);
      std::string problem = ChainProblem(chain.result);
      if (!problem.empty()) report.Fail(problem);
    }
    if (!found.known) report.Note(TEXT_NO_DEVICE);
  } else if ((command == Command::Verify || command == Command::Read) &&
             state.deviceMode != DeviceMode::Prom) {
    report.Fail("no configuration PROM answered: nothing to read back");
    verdict = found.known ? RunVerdict::Refused : RunVerdict::Failed;
  } else if (command == Command::Verify || command == Command::Read) {
    verdict = RunReadBack(command, state, host, options, input, report);
  } else if (state.deviceMode != DeviceMode::None && !options.force && !input.partName.empty() &&
             (fpga = ChainedFpga(state, found)) != nullptr &&
             !PartFits(input.partName, *fpga)) {
    report.Fail(PartRefusal(input.partName, *fpga));
    verdict = RunVerdict::Refused;
  } else if (command == Command::Prom && state.deviceMode == DeviceMode::Fpga) {
    report.Fail("the chain holds an FPGA alone, not a configuration PROM: use 'program' or "
                "'fpga'");
    verdict = RunVerdict::Refused;
  } else {
    // 'fpga' on the PROM chain: a volatile load of the FPGA, the PROM in BYPASS.
    DownloadResult result = command == Command::Fpga && state.deviceMode == DeviceMode::Prom
                                ? DownloadFpgaFrom(state, host, input, FpgaChain::BehindProm)
                                : DownloadIdentified(state, host, input);
    host.FinishProgress();
    verdict = Explain(result, state.report, options.json, report);
  }
  if (command != Command::Detect) report.chain = JsonString(ChainText(state, found, fpga));
  host.FinishProgress();
  LinkClose(state.link);
  if (!choice.FinishFiles(&error)) {
    // A lost trace or waveform must not pass for a complete run.
    report.Fail(error);
    if (verdict == RunVerdict::Complete) verdict = RunVerdict::Refused;
  }
  return verdict;
}

}  // namespace
}  // namespace torvane::cli

int main(int argc, char** argv) {
  torvane::cli::Options options;
  torvane::cli::Command command = torvane::cli::Command::Detect;
  const char* commandName = "detect";
  int parsed = torvane::cli::ParseCommandLine(argc, argv, &options, &command, &commandName);
  if (parsed >= 0) return parsed;
  torvane::cli::InstallStopSignals(torvane::cli::StderrIsTerminal());
  const auto start = std::chrono::steady_clock::now();
  torvane::cli::RunReport report;
  torvane::RunVerdict verdict = torvane::cli::Run(command, options, report);
  if (options.json) {
    std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    std::printf("%s\n",
                torvane::cli::RunJson(commandName, verdict, report, taken.count()).c_str());
  }
  return torvane::cli::ExitCode(verdict, torvane::cli::StopSignal());
}
