// What a command runs with: the options, the report and the terminal, and, as far as its
// table entry's needs go, the input file and the identified chain, which Run stages
// before the call.
#pragma once

#include "bitfile/config_file.h"
#include "cli/adapter_choice.h"
#include "cli/options.h"
#include "cli/plan.h"
#include "cli/run_report.h"
#include "cli/terminal_host.h"
#include "procedures/app_state.h"
#include "procedures/identify.h"

namespace torvane::cli {

struct CommandRun {
  CommandRun(const Options& options, RunReport& report, TerminalHost& host,
             AdapterChoice& choice, Command command)
      : options(options), report(report), host(host), choice(choice), command(command) {}

  const Options& options;
  RunReport& report;
  TerminalHost& host;
  AdapterChoice& choice;
  Command command;
  ConfigFile input;         // loaded when the command needs a file
  AppState state;           // the link on the chosen adapter, once identified
  IdentifyResult found{};   // what identification read
  ChainParts chain;         // what identification found
};

}  // namespace torvane::cli
