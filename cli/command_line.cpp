// The CLI11 set-up: the program's options, one subcommand per entry of the command table
// and the footer that the help ends with.
#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "sim/board.h"

namespace torvane::cli {
namespace {

constexpr const char* FOOTER =
    "Exit codes: 0 complete (detect: a supported device found), 1 device or download failure,\n"
    "2 usage or file error, 128+N stopped by signal N (SIGINT 130, SIGTERM 143, SIGHUP 129).\n\n"
    "SIGINT, SIGTERM or SIGHUP stops a run at its next safe point (between FPGA chunks, PROM\n"
    "blocks or read-back exchanges): the PROM leaves programming mode and the lines are\n"
    "released. No verdict is printed; standard error says 'interrupted', and --json gives\n"
    "the verdict failed with the cause interrupted. A second signal ends the program at once.\n\n"
    "--trace and --vcd name a regular file (written beside it, then renamed into place),\n"
    "/dev/stdout or /dev/stderr.\n\n"
    "FILE is a .bit, a PROM file in Intel HEX (.mcs) or a raw image (.bin), told apart by\n"
    "its content; the bit order of a PROM file's bytes is found from its sync word.\n\n"
    "A refusal (a design for another part, two cables and none named) also exits 2.\n"
    "Options may come before or after the subcommand.\n\n"
    "Examples:\n"
    "  torvane-cli detect\n"
    "  torvane-cli program design.bit\n"
    "  torvane-cli read backup.bin        (the whole PROM, as large as the part found)\n"
    "  torvane-cli read backup.mcs        (the same as a PROM file, for other tools)\n"
    "  torvane-cli prom design.mcs\n"
    "  torvane-cli verify design.bit      (the PROM against the file, nothing written)\n"
    "  torvane-cli info design.bit\n"
    "  torvane-cli cables\n"
    "  torvane-cli --serial A50285BI program design.bit\n"
    "  torvane-cli --board sim:prom --trace usb.txt program design.bit\n"
    "  torvane-cli --board sim:prom --vcd jtag.vcd detect   (view in GTKWave or PulseView)\n\n"
    "See torvane-cli(1) for the status lines and what to do when the cable cannot be opened.\n";

// CLI11 takes the argument after a value option whatever it is, so a forgotten value
// would swallow the next option: "--vcd --verify" would drop the read-back silently.
std::string NotAnOption(std::string& value) {
  if (value.empty() || value[0] != '-') return "";
  return "the value is missing ('" + value + "' is read as an option; write ./" + value +
         " for a file of that name)";
}

void AddProgramOptions(CLI::App& app, Options* options) {
  const CLI::Validator valued(NotAnOption, "");
  std::string boards;
  for (const sim::BoardInfo& board : sim::Boards()) {
    boards += std::string("\n  sim:") + board.name + ": " + board.description;
  }
  app.add_option("--board", options->board,
                 "usb (the cable, default) or a simulated board:" + boards)
      ->check(valued);
  app.add_option("--serial", options->serial,
                 "open the FT232R with this USB serial number (see 'cables'); needed when "
                 "more than one is attached")
      ->check(valued);
  app.add_option("--trace", options->trace, "write every adapter call to FILE")->check(valued);
  app.add_option("--vcd", options->vcd,
                 "write the JTAG pins (tck, tms, tdi, tdo) to FILE as a Value Change Dump")
      ->check(valued);
  app.add_flag("-q,--quiet", options->quiet, "no status lines and no progress; the verdict stays");
  app.add_flag("-v,--verbose", options->verbose, "more detail on standard error");
  app.add_flag("--json", options->json,
               "every command: one JSON object on standard output (verdict, cause, chain, "
               "seconds) instead of the lines");
  app.add_flag("--force", options->force,
               "send a design for another part than the chain's FPGA (as a .bit's header or "
               "the IDCODE in a .mcs or .bin names it)");
}

}  // namespace

int ParseCommandLine(int argc, const char* const* argv, Options* options, Command* command,
                     const char** commandName) {
  CLI::App app{"Loads configuration into Spartan-3 boards over JTAG through an FT232R cable."};
  app.footer(FOOTER);
  app.set_version_flag("--version", "torvane-cli " TORVANE_VERSION);
  // The same options on every system: a path such as /tmp/design.bit is a file, never a
  // "/option" as the parser would read it on Windows.
  app.allow_windows_style_options(false);
  AddProgramOptions(app, options);
  app.require_subcommand(1);
  // Options before or after the subcommand: the subcommands inherit this and hand the
  // options they do not know to the program.
  app.fallthrough();

  // An empty name is refused here: 'read' would otherwise read the whole PROM before
  // finding that it has nowhere to put it.
  const CLI::Validator named(
      [](std::string& name) { return name.empty() ? std::string("an empty name is no file") : ""; },
      "");
  for (const CommandEntry& entry : Commands()) {
    CLI::App* sub = app.add_subcommand(entry.name, entry.description);
    if (entry.operand == Operand::File) {
      sub->add_option("FILE", options->file, "the .bit, .mcs (Intel HEX) or .bin file")
          ->required()
          ->check(named);
    } else if (entry.operand == Operand::Out) {
      sub->add_option("OUT", options->output, "the file the PROM's contents go to")
          ->required()
          ->check(named);
    }
    if (entry.verifyFlag) {
      sub->add_flag("--verify", options->verify,
                    "after programming the PROM, read it back even when the FPGA started from "
                    "it");
    }
    sub->callback([command, commandName, &entry] {
      *command = entry.command;
      *commandName = entry.name;
    });
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  return -1;
}

}  // namespace torvane::cli
