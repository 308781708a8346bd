// What the command line asks for: the options and the one command, parsed without any
// file or adapter touched. Help, the version and usage errors end the run here.
#pragma once

#include <string>

namespace torvane::cli {

struct Options {
  std::string board = "usb";
  std::string trace;
  std::string vcd;
  std::string file;
  std::string output;  // read: where the PROM's contents go
  bool quiet = false;
  bool verbose = false;
  bool verify = false;  // program, prom: read the PROM back even when the FPGA started
  bool force = false;   // send a design whose header names another part
  bool json = false;    // one JSON object on standard output instead of the lines
  std::string serial;   // the FT232R to open, by its USB serial number
};

enum class Command { Detect, Program, Fpga, Prom, Verify, Read, Info, Cables };

// -1 to go on with `*options` and `*command`, whose name as typed goes to `*commandName`
// (a string that lives as long as the program); otherwise the exit code to end with: 0
// after the help or the version, 2 after a usage error. CLI11 writes the help to std::cout
// and the errors to std::cerr.
int ParseCommandLine(int argc, const char* const* argv, Options* options, Command* command,
                     const char** commandName);

}  // namespace torvane::cli
