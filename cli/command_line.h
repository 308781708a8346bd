// What the command line asks for: the options and the one command, parsed without any
// file or adapter touched. Help, the version and usage errors end the run here.
#pragma once

#include "cli/options.h"

namespace torvane::cli {

// -1 to go on with `*options` and `*command`, whose name as typed goes to `*commandName`
// (a string that lives as long as the program); otherwise the exit code to end with: 0
// after the help or the version, 2 after a usage error. CLI11 writes the help to std::cout
// and the errors to std::cerr.
int ParseCommandLine(int argc, const char* const* argv, Options* options, Command* command,
                     const char** commandName);

}  // namespace torvane::cli
