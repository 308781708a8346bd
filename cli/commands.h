// The commands as one table, in the manner of a tool table: each names what it needs
// before it runs (nothing, the input file, an identified chain, or both) and the one
// function that runs it. The parser builds its subcommands from the table; Run stages
// the needs and calls the function.
#pragma once

#include <vector>

#include "cli/options.h"
#include "procedures/outcome.h"

namespace torvane::cli {

struct CommandRun;

enum class Needs {
  Nothing,       // the command runs on its own
  File,          // the input file, loaded whole
  Chain,         // the cable (or board) opened and the chain identified
  FileAndChain,  // the input file first, then the chain
};

enum class Operand { None, File, Out };

struct CommandEntry {
  const char* name;
  Command command;
  Needs needs;
  RunVerdict (*run)(CommandRun& run);
  Operand operand;
  bool verifyFlag;  // --verify: a read-back after programming the PROM
  const char* description;
};

// Every command, in the order the help lists them.
const std::vector<CommandEntry>& Commands();
const CommandEntry& EntryFor(Command command);

}  // namespace torvane::cli
