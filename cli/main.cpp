// torvane-cli: identification, FPGA configuration and PROM programming from a terminal or
// a script. The same procedures as the dialog, with a progress bar and exit codes.
#include <chrono>
#include <cstdio>

#include "cli/adapter_choice.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/run.h"
#include "cli/run_report.h"
#include "cli/stop_signals.h"

int main(int argc, char** argv) {
  using namespace torvane::cli;
  Options options;
  Command command = Command::Detect;
  const char* commandName = "detect";
  int parsed = ParseCommandLine(argc, argv, &options, &command, &commandName);
  if (parsed >= 0) return parsed;
  InstallStopSignals(StderrIsTerminal());
  const auto start = std::chrono::steady_clock::now();
  RunReport report;
  AdapterChoice choice;
  torvane::RunVerdict verdict = Run(EntryFor(command), options, report, choice);
  if (options.json) {
    std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    std::printf("%s\n", RunJson(commandName, verdict, report, taken.count()).c_str());
  }
  return ExitCode(verdict, StopSignal());
}
