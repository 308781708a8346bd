// torvane-cli: identification, FPGA configuration and PROM programming from a terminal or
// a script. The same procedures as the dialog, with a progress bar and exit codes.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/adapter_choice.h"
#include "cli/terminal_host.h"
#include "procedures/download_fpga.h"
#include "procedures/download_prom.h"
#include "procedures/identify.h"
#include "sim/board.h"

namespace torvane::cli {
namespace {

constexpr int EXIT_COMPLETE = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

// The status lines go to standard output, except in quiet mode.
class CliHost : public TerminalHost {
 public:
  CliHost(bool quiet, bool terminal) : TerminalHost(quiet, terminal), quiet_(quiet) {}
  void SetStatusText(int controlId, const char* text) override {
    if (!quiet_) TerminalHost::SetStatusText(controlId, text);
  }

 private:
  bool quiet_;
};

struct Options {
  std::string board = "usb";
  std::string trace;
  std::string vcd;
  std::string file;
  bool quiet = false;
  bool verbose = false;
};

enum class Command { Detect, Program, Fpga, Prom };

int ExitCode(DownloadResult result) {
  switch (result) {
    case DownloadResult::Complete:
      return EXIT_COMPLETE;
    case DownloadResult::Failed:
      return EXIT_FAILED;
    case DownloadResult::FileError:
      return EXIT_USAGE;
  }
  return EXIT_FAILED;
}

int Run(Command command, const Options& options) {
  AdapterChoice choice;
  std::string error;
  if (!choice.Choose(options.board, &error) ||
      !choice.Record(options.trace, options.vcd, &error)) {
    std::fprintf(stderr, "torvane-cli: %s\n", error.c_str());
    return EXIT_USAGE;
  }
  AppState state;
  state.link.adapter = choice.adapter();
  if (command != Command::Detect) {
    if (options.file.size() >= PATH_CAPACITY) {
      std::fprintf(stderr, "torvane-cli: the path is longer than %d characters\n",
                   PATH_CAPACITY - 1);
      return EXIT_USAGE;
    }
    std::memcpy(state.path, options.file.c_str(), options.file.size() + 1);
  }
  CliHost host(options.quiet, isatty(STDERR_FILENO) != 0);

  IdentifyResult found = IdentifyChain(state, host);
  if (found.openStatus != ADAPTER_OK) {
    std::string problem = choice.OpenProblem();
    if (!problem.empty()) std::fprintf(stderr, "torvane-cli: %s\n", problem.c_str());
  }
  if (options.verbose) {
    std::fprintf(stderr, "idcode 0x%08X, open status %d\n", found.idcode, found.openStatus);
  }

  int code = EXIT_COMPLETE;
  if (command == Command::Detect) {
    code = found.known ? EXIT_COMPLETE : EXIT_FAILED;
  } else if ((command == Command::Fpga && state.deviceMode != DEVICE_FPGA) ||
             (command == Command::Prom && state.deviceMode != DEVICE_PROM)) {
    std::fprintf(stderr, "torvane-cli: the chain holds %s, not %s: use 'program' or the other command\n",
                 state.deviceMode == DEVICE_PROM ? "a configuration PROM" : "an FPGA alone",
                 command == Command::Fpga ? "an FPGA alone" : "a configuration PROM");
    code = EXIT_USAGE;
  } else if (state.deviceMode == DEVICE_FPGA) {
    code = ExitCode(DownloadFpga(state, host));
  } else if (state.deviceMode == DEVICE_PROM) {
    code = ExitCode(DownloadProm(state, host));
  } else {
    ReportError(host, MessageOwner::Dialog, "Interface not present !");
    code = EXIT_FAILED;
  }
  host.FinishProgress();
  LinkClose(state.link);
  if (!choice.FinishFiles(&error)) {
    // A lost trace or waveform must not pass for a complete run.
    std::fprintf(stderr, "torvane-cli: %s\n", error.c_str());
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
      "2 usage or file error.\n\n"
      "Examples:\n"
      "  torvane-cli detect\n"
      "  torvane-cli program design.bit\n"
      "  torvane-cli --board sim:prom --trace usb.txt program design.bit\n"
      "  torvane-cli --board sim:prom --vcd jtag.vcd detect   (view in GTKWave or PulseView)\n\n"
      "See torvane-cli(1) for the status lines and what to do when the cable cannot be opened.\n");
  app.set_version_flag("--version", "torvane-cli " TORVANE_VERSION);
  std::string boards;
  for (const torvane::sim::BoardInfo& board : torvane::sim::Boards()) {
    boards += std::string("\n  sim:") + board.name + ": " + board.description;
  }
  app.add_option("--board", options.board,
                 "usb (the cable, default) or a simulated board:" + boards);
  app.add_option("--trace", options.trace, "write every adapter call to FILE");
  app.add_option("--vcd", options.vcd,
                 "write the JTAG pins (tck, tms, tdi, tdo) to FILE as a Value Change Dump");
  app.add_flag("-q,--quiet", options.quiet, "no status lines and no progress; the verdict stays");
  app.add_flag("-v,--verbose", options.verbose, "more detail on standard error");
  app.require_subcommand(1);

  Command command = Command::Detect;
  auto* detect = app.add_subcommand("detect", "identify the JTAG chain and print the two status lines");
  auto* program = app.add_subcommand("program", "load FILE into what the chain holds (FPGA or PROM)");
  auto* fpga = app.add_subcommand("fpga", "configure an FPGA alone in the chain from FILE");
  auto* prom = app.add_subcommand("prom", "program the configuration PROM from FILE");
  for (auto* sub : {program, fpga, prom}) {
    sub->add_option("FILE", options.file, "the .bit file")->required();
  }
  detect->callback([&] { command = Command::Detect; });
  program->callback([&] { command = Command::Program; });
  fpga->callback([&] { command = Command::Fpga; });
  prom->callback([&] { command = Command::Prom; });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  return torvane::cli::Run(command, options);
}
