// torvane-cli: identification, FPGA configuration and PROM programming from a terminal or
// a script. The same procedures as the dialog, with a progress bar and exit codes.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <utility>

#include "cli/adapter_choice.h"
#include "cli/console.h"
#include "cli/stop_signals.h"
#include "cli/prom_file.h"
#include "cli/terminal_host.h"
#include "procedures/identify.h"
#include "procedures/load_file.h"
#include "procedures/session.h"
#include "procedures/verdict.h"
#include "procedures/download_prom.h"
#include "procedures/prom_check.h"
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
  void SetStatusLine(StatusLine line, const char* text) override {
    if (!quiet_) TerminalHost::SetStatusLine(line, text);
  }

 private:
  bool quiet_;
};

struct Options {
  std::string board = "usb";
  std::string trace;
  std::string vcd;
  std::string file;
  std::string output;  // read: where the PROM's contents go
  bool quiet = false;
  bool verbose = false;
  bool verify = false;  // program, prom: read the PROM back even when the FPGA started
};

enum class Command { Detect, Program, Fpga, Prom, Verify, Read };

int ExitCode(DownloadResult result) {
  switch (result) {
    case DownloadResult::Complete:
      return EXIT_COMPLETE;
    case DownloadResult::Failed:
    case DownloadResult::NotPresent:
      return EXIT_FAILED;
    case DownloadResult::FileError:
      return EXIT_USAGE;
    case DownloadResult::Interrupted:
      return 128 + StopSignal();
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

// What the PROM check found, said on the terminal: a failure's cause on standard error,
// and on standard output the note that a good PROM did not start the FPGA.
void ExplainPromReport(const DownloadReport& report, DownloadResult result) {
  switch (report.prom) {
    case PromCause::None:
      if (result == DownloadResult::Complete && report.readBack && !report.doneRose) {
        std::printf("note: the PROM holds the design but the FPGA did not start from it "
                    "(check the mode pins, or the part the design was built for)\n");
      }
      break;
    case PromCause::NoAnswer:
      std::fprintf(stderr, "torvane-cli: the cable or the JTAG chain stopped answering\n");
      break;
    case PromCause::WriteFailed:
      std::fprintf(stderr, "torvane-cli: a write to the cable failed\n");
      break;
    case PromCause::PromDiffers:
      std::fprintf(stderr, "torvane-cli: the PROM differs from the file from block %d "
                   "(bytes from %d)\n", report.firstDifferentBlock,
                   report.firstDifferentBlock * static_cast<int>(PROM_BLOCK_BYTES));
      break;
  }
}

// verify and read: on the PROM chain only, no erase and no write.
int RunReadBack(Command command, AppState& state, CliHost& host, const Options& options,
                const BitFile& input) {
  if (command == Command::Verify) {
    DownloadResult result = VerifyProm(state, host, input);
    if (result == DownloadResult::Complete) {
      std::printf("PROM MATCHES FILE\n");
    } else if (result == DownloadResult::Failed) {
      if (state.report.prom == PromCause::PromDiffers) std::printf("PROM DIFFERS FROM FILE\n");
      ExplainPromReport(state.report, result);
    }
    return ExitCode(result);
  }
  std::string error;
  SaveResult saved = SavePromImage(state, host, options.output, &error);
  if (saved == SaveResult::Saved) {
    std::printf("%u bytes read to %s\n", PROM_CAPACITY_BYTES, options.output.c_str());
    return EXIT_COMPLETE;
  }
  std::fprintf(stderr, "torvane-cli: %s\n", error.c_str());
  if (saved == SaveResult::ReadFailed) ExplainPromReport(state.report, DownloadResult::Failed);
  return saved == SaveResult::ReadFailed ? EXIT_FAILED : EXIT_USAGE;
}

int Run(Command command, const Options& options) {
  AdapterChoice choice;
  std::string error;
  if (!choice.Choose(options.board, &error)) {
    std::fprintf(stderr, "torvane-cli: %s\n", error.c_str());
    return EXIT_USAGE;
  }
  CliHost host(options.quiet, StderrIsTerminal());
  BitFile input;
  if (command != Command::Detect && command != Command::Read &&
      (!LoadInput(options.file, host, &input) || !OutputsSpareTheInput(options, input))) {
    return EXIT_USAGE;
  }
  if (!choice.Record(options.trace, options.vcd, &error)) {
    std::fprintf(stderr, "torvane-cli: %s\n", error.c_str());
    return EXIT_USAGE;
  }
  AppState state;
  state.link.adapter = choice.adapter();
  state.stopRequested = StopRequest();
  state.verifyPromAfterDownload = options.verify;
  if (command == Command::Read && choice.WritesTo(options.output)) {
    std::fprintf(stderr, "torvane-cli: '%s' is also the trace or waveform file\n",
                 options.output.c_str());
    return EXIT_USAGE;
  }

  IdentifyResult found = IdentifyChain(state, host);
  if (found.openStatus != ADAPTER_OK) {
    std::string problem = choice.OpenProblem();
    if (!problem.empty()) std::fprintf(stderr, "torvane-cli: %s\n", problem.c_str());
  }
  if (options.verbose) {
    std::fprintf(stderr, "idcode 0x%08X, open status %d\n", found.idcode, found.openStatus);
  }

  int code = EXIT_COMPLETE;
  DownloadResult result = DownloadResult::Complete;
  if (!choice.FlushFiles(&error)) {
    // Known before anything is erased or configured: the device stays as it was.
    std::fprintf(stderr, "torvane-cli: %s\n", error.c_str());
    code = EXIT_USAGE;
  } else if (command == Command::Detect) {
    code = found.known ? EXIT_COMPLETE : EXIT_FAILED;
  } else if ((command == Command::Verify || command == Command::Read) &&
             state.deviceMode != DEVICE_PROM) {
    std::fprintf(stderr, "torvane-cli: no configuration PROM answered: nothing to read back\n");
    code = found.known ? EXIT_USAGE : EXIT_FAILED;
  } else if (command == Command::Verify || command == Command::Read) {
    code = RunReadBack(command, state, host, options, input);
  } else if (state.deviceMode != DEVICE_NONE &&
             ((command == Command::Fpga && state.deviceMode != DEVICE_FPGA) ||
              (command == Command::Prom && state.deviceMode != DEVICE_PROM))) {
    std::fprintf(stderr, "torvane-cli: the chain holds %s, not %s: use 'program' or the other command\n",
                 state.deviceMode == DEVICE_PROM ? "a configuration PROM" : "an FPGA alone",
                 command == Command::Fpga ? "an FPGA alone" : "a configuration PROM");
    code = EXIT_USAGE;
  } else {
    result = DownloadIdentified(state, host, input);
    code = ExitCode(result);
    if (state.deviceMode == DEVICE_PROM) ExplainPromReport(state.report, result);
    const char* cause = FpgaCheckText(state.report.fpga);
    if (result == DownloadResult::NotPresent) {
      std::fprintf(stderr, "torvane-cli: no supported device answered on the JTAG chain\n");
    } else if (code == EXIT_FAILED && cause != nullptr) {
      std::fprintf(stderr, "torvane-cli: %s\n", cause);
    }
  }
  host.FinishProgress();
  LinkClose(state.link);
  if (result == DownloadResult::Interrupted) {
    host.ShowVerdict(DownloadResult::Failed);
    std::fprintf(stderr, "torvane-cli: interrupted\n");
  }
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
      "2 usage or file error, 128+N stopped by signal N (SIGINT 130, SIGTERM 143, SIGHUP 129).\n\n"
      "SIGINT, SIGTERM or SIGHUP stops a download at its next safe point (between FPGA chunks\n"
      "or PROM blocks): the PROM leaves programming mode, the lines are released and the\n"
      "verdict is DOWNLOAD FAILED !. A second signal ends the program at once.\n\n"
      "--trace and --vcd name a regular file (written beside it, then renamed into place),\n"
      "/dev/stdout or /dev/stderr.\n\n"
      "Examples:\n"
      "  torvane-cli detect\n"
      "  torvane-cli program design.bit\n"
      "  torvane-cli read backup.bin        (the PROM's 262,144 bytes)\n"
      "  torvane-cli verify design.bit      (the PROM against the file, nothing written)\n"
      "  torvane-cli --board sim:prom --trace usb.txt program design.bit\n"
      "  torvane-cli --board sim:prom --vcd jtag.vcd detect   (view in GTKWave or PulseView)\n\n"
      "See torvane-cli(1) for the status lines and what to do when the cable cannot be opened.\n");
  app.set_version_flag("--version", "torvane-cli " TORVANE_VERSION);
  // The same options on every system: a path such as /tmp/design.bit is a file, never a
  // "/option" as the parser would read it on Windows.
  app.allow_windows_style_options(false);
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
  auto* verify = app.add_subcommand(
      "verify", "read the PROM back and compare it with FILE; exit 0 when equal, 1 when not");
  auto* read = app.add_subcommand(
      "read", "read the PROM's 262,144 bytes to OUT (written whole or not at all)");
  for (auto* sub : {program, fpga, prom, verify}) {
    sub->add_option("FILE", options.file, "the .bit file")->required();
  }
  read->add_option("OUT", options.output, "the file the PROM's contents go to")->required();
  for (auto* sub : {program, prom}) {
    sub->add_flag("--verify", options.verify,
                  "after programming the PROM, read it back even when the FPGA started from it");
  }
  verify->callback([&] { command = Command::Verify; });
  read->callback([&] { command = Command::Read; });
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
  torvane::cli::InstallStopSignals(torvane::cli::StderrIsTerminal());
  return torvane::cli::Run(command, options);
}
