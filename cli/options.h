// What the command line asks for: the options and the one command. Filled by the parser,
// read by every command.
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

}  // namespace torvane::cli
