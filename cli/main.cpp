// torvane-cli: identification, FPGA configuration and PROM programming from a terminal or
// a script. The same procedures as the dialog, with a progress bar and exit codes.
#include <CLI/CLI.hpp>
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
#include "cli/console.h"
#include "cli/run_report.h"
#include "cli/terminal_host.h"
#include "procedures/download_fpga.h"
#include "procedures/identify.h"
#include "procedures/load_file.h"
#include "procedures/session.h"
#include "procedures/verdict.h"

namespace torvane::cli {
namespace {

constexpr int EXIT_COMPLETE = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

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

struct Options {
  std::string board = "usb";
  std::string trace;
  std::string vcd;
  std::string file;
  bool quiet = false;
  bool verbose = false;
  bool force = false;  // send a design whose header names another part
  bool json = false;   // one JSON object on standard output instead of the lines
  std::string serial;  // the FT232R to open, by its USB serial number
};

enum class Command { Detect, Program, Fpga, Prom, Info, Cables };

int ExitCode(DownloadResult result) {
  switch (result) {
    case DownloadResult::Complete:
      return EXIT_COMPLETE;
    case DownloadResult::Failed:
    case DownloadResult::NotPresent:
      return EXIT_FAILED;
    case DownloadResult::FileError:
      return EXIT_USAGE;
  }
  return EXIT_FAILED;
}

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

// The FPGA the chain holds, for the check of the header's part: an FPGA alone is known from
// identification; behind the PROM it is read from the whole chain (reads only, nothing
// erased or configured). Null when no known FPGA answered.
const ChainPart* ChainedFpga(AppState& state, const IdentifyResult& found) {
  if (state.deviceMode == DEVICE_FPGA) return FindChainPart(found.idcode);
  return ChainFpga(ReadChain(state.link));
}

// What the chain held the design for, as --json names it.
std::string ChainText(const AppState& state, const IdentifyResult& found, const ChainPart* fpga) {
  if (state.deviceMode == DEVICE_FPGA) {
    return std::string(FindChainPart(found.idcode)->name) + " alone";
  }
  if (state.deviceMode == DEVICE_PROM) {
    return fpga ? std::string(fpga->name) + " and PROM" : "FPGA and PROM";
  }
  return "none";
}

// info: the file alone, no cable.
int RunInfo(const Options& options, RunReport& report) {
  CliHost host(options.quiet, false);
  host.ReportTo(&report, options.json);
  BitFile input;
  if (!LoadInput(options.file, host, &input)) return EXIT_USAGE;
  if (options.json) {
    report.details = BitInfoJson(input);
  } else {
    PrintBitInfo(input, stdout);
  }
  return EXIT_COMPLETE;
}

// cables: the attached FT232R chips, each opened for a moment (never taken from a driver).
int RunCables(const Options& options, RunReport& report) {
  std::vector<CableInfo> cables;
  std::string error;
  if (!MakeCableList(/*tryOpen=*/true)->List(&cables, &error)) {
    report.Fail(error);
    return EXIT_USAGE;
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
  return EXIT_COMPLETE;
}

int Run(Command command, const Options& options, RunReport& report) {
  if (command == Command::Info) return RunInfo(options, report);
  if (command == Command::Cables) return RunCables(options, report);
  AdapterChoice choice;
  std::string error;
  if (!options.serial.empty() && options.board != "usb") {
    report.Fail("--serial names a real cable: it goes with --board usb");
    return EXIT_USAGE;
  }
  if (!choice.Choose(options.board, &error, options.serial)) {
    report.Fail(error);
    return EXIT_USAGE;
  }
  CliHost host(options.quiet, StderrIsTerminal());
  host.ReportTo(&report, options.json);
  BitFile input;
  if (command != Command::Detect &&
      (!LoadInput(options.file, host, &input) || !OutputsSpareTheInput(options, input))) {
    report.Note("the input file cannot be used");
    return EXIT_USAGE;
  }
  if (!choice.Record(options.trace, options.vcd, &error)) {
    report.Fail(error);
    return EXIT_USAGE;
  }
  AppState state;
  state.link.adapter = choice.adapter();

  IdentifyResult found = IdentifyChain(state, host);
  if (found.openStatus != ADAPTER_OK) {
    std::string problem = choice.OpenProblem();
    if (!problem.empty()) report.Fail(problem);
  }
  if (options.verbose) {
    std::fprintf(stderr, "idcode 0x%08X, open status %d\n", found.idcode, found.openStatus);
  }

  int code = EXIT_COMPLETE;
  const ChainPart* fpga = nullptr;
  if (command == Command::Detect) {
    code = found.known ? EXIT_COMPLETE : EXIT_FAILED;
    if (found.openStatus == ADAPTER_OK) {
      ChainListing chain = ReadChain(state.link);
      if (!options.json) PrintChainListing(chain, stdout);
      report.chain = ChainJson(chain);
      std::string problem = ChainProblem(chain.result);
      if (!problem.empty()) report.Fail(problem);
    }
    if (!found.known) report.Note("no supported device answered on the JTAG chain");
  } else if (state.deviceMode != DEVICE_NONE && !options.force && !input.partName.empty() &&
             (fpga = ChainedFpga(state, found)) != nullptr &&
             !PartFits(input.partName, *fpga)) {
    report.Fail(PartRefusal(input.partName, *fpga));
    code = EXIT_USAGE;
  } else if (command == Command::Prom && state.deviceMode == DEVICE_FPGA) {
    report.Fail("the chain holds an FPGA alone, not a configuration PROM: use 'program' or "
                "'fpga'");
    code = EXIT_USAGE;
  } else {
    // 'fpga' on the PROM chain: a volatile load of the FPGA, the PROM in BYPASS.
    DownloadResult result = command == Command::Fpga && state.deviceMode == DEVICE_PROM
                                ? DownloadFpgaFrom(state, host, input, FpgaChain::BehindProm)
                                : DownloadIdentified(state, host, input);
    code = ExitCode(result);
    const char* cause = FpgaCheckText(state.report.fpga);
    if (result == DownloadResult::NotPresent) {
      report.Fail("no supported device answered on the JTAG chain");
    } else if (code == EXIT_FAILED && cause != nullptr) {
      report.Fail(cause);
    } else if (code == EXIT_FAILED) {
      report.Note("DOWNLOAD FAILED !");
    }
  }
  if (command != Command::Detect) report.chain = JsonString(ChainText(state, found, fpga));
  host.FinishProgress();
  LinkClose(state.link);
  if (!choice.FinishFiles(&error)) {
    // A lost trace or waveform must not pass for a complete run.
    report.Fail(error);
    if (code == EXIT_COMPLETE) code = EXIT_USAGE;
  }
  return code;
}

}  // namespace
}  // namespace torvane::cli

int main(int argc, char** argv) {
  using torvane::cli::Command;
  torvane::cli::Options options;
  CLI::App app{"Loads configuration into Spartan-3 boards over JTAG through an FT232R cable."};
  app.footer(
      "Exit codes: 0 complete (detect: a supported device found), 1 device or download failure,\n"
      "2 usage or file error, or a refusal (a design for another part, two cables and none\n"
      "named). Options may come before or after the subcommand.\n\n"
      "Examples:\n"
      "  torvane-cli detect\n"
      "  torvane-cli program design.bit\n"
      "  torvane-cli info design.bit\n"
      "  torvane-cli cables\n"
      "  torvane-cli --serial A50285BI program design.bit\n"
      "  torvane-cli --board sim:prom --trace usb.txt program design.bit\n"
      "  torvane-cli --board sim:prom --vcd jtag.vcd detect   (view in GTKWave or PulseView)\n\n"
      "See torvane-cli(1) for the status lines and what to do when the cable cannot be opened.\n");
  app.set_version_flag("--version", "torvane-cli " TORVANE_VERSION);
  // The same options on every system: a path such as /tmp/design.bit is a file, never a
  // "/option" as the parser would read it on Windows.
  app.allow_windows_style_options(false);
  app.add_option("--board", options.board,
                 "usb (the cable, default) or a simulated board: sim:xc3s200, sim:xc3s400, "
                 "sim:prom, sim:prom400, sim:none, sim:dead, sim:dead0");
  app.add_option("--serial", options.serial,
                 "open the FT232R with this USB serial number (see 'cables'); needed when "
                 "more than one is attached");
  app.add_option("--trace", options.trace, "write every adapter call to FILE");
  app.add_option("--vcd", options.vcd,
                 "write the JTAG pins (tck, tms, tdi, tdo) to FILE as a Value Change Dump");
  app.add_flag("-q,--quiet", options.quiet, "no status lines and no progress; the verdict stays");
  app.add_flag("-v,--verbose", options.verbose, "more detail on standard error");
  app.add_flag("--json", options.json,
               "detect, info and the downloads: one JSON object on standard output (verdict, "
               "cause, chain, seconds) instead of the lines");
  app.add_flag("--force", options.force,
               "send a design whose header names another part than the chain's FPGA");
  app.require_subcommand(1);
  // Options before or after the subcommand: the subcommands inherit this and hand the
  // options they do not know to the program.
  app.fallthrough();

  Command command = Command::Detect;
  const char* commandName = "detect";
  auto* detect = app.add_subcommand(
      "detect", "identify the JTAG chain, print the two status lines and list every device");
  auto* program = app.add_subcommand("program", "load FILE into what the chain holds (FPGA or PROM)");
  auto* fpga = app.add_subcommand(
      "fpga", "configure the FPGA from FILE (volatile), alone or behind the PROM (left as it is)");
  auto* prom = app.add_subcommand("prom", "program the configuration PROM from FILE");
  auto* info = app.add_subcommand(
      "info", "print FILE's header and what program would do with it on each chain");
  auto* cables = app.add_subcommand(
      "cables",
      "list the attached FT232R chips: description, serial number, whether each can be opened");
  for (auto* sub : {program, fpga, prom, info}) {
    sub->add_option("FILE", options.file, "the .bit file")->required();
  }
  detect->callback([&] {
    command = Command::Detect;
    commandName = "detect";
  });
  program->callback([&] {
    command = Command::Program;
    commandName = "program";
  });
  fpga->callback([&] {
    command = Command::Fpga;
    commandName = "fpga";
  });
  prom->callback([&] {
    command = Command::Prom;
    commandName = "prom";
  });
  cables->callback([&] {
    command = Command::Cables;
    commandName = "cables";
  });
  info->callback([&] {
    command = Command::Info;
    commandName = "info";
  });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  const auto start = std::chrono::steady_clock::now();
  torvane::cli::RunReport report;
  int code = torvane::cli::Run(command, options, report);
  if (options.json) {
    std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    std::printf("%s\n", torvane::cli::RunJson(commandName, code, report, taken.count()).c_str());
  }
  return code;
}
