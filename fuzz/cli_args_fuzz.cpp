// Any command line, its arguments split at NUL bytes, parsed in-process as the program
// parses it: the parse ends with -1 (go on), 0 (help or version) or 2 (usage error) and
// never with an exception; going on means one command named as typed, the file or output
// that command needs and no other, and each option's value exactly as the user gave it,
// never the next option. The help and the errors go to a sink; nothing is opened, written
// or sent.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/command_line.h"

using namespace torvane::cli;

namespace {

constexpr size_t MAX_ARGUMENTS = 24;

// What each command is called and what it takes, as a user reads it in the help.
struct Expected {
  const char* name;
  Command command;
  bool file;
  bool output;
  bool verify;
};
constexpr Expected COMMANDS[] = {
    {"detect", Command::Detect, false, false, false},
    {"program", Command::Program, true, false, true},
    {"fpga", Command::Fpga, true, false, false},
    {"prom", Command::Prom, true, false, true},
    {"verify", Command::Verify, true, false, false},
    {"read", Command::Read, false, true, false},
    {"info", Command::Info, true, false, false},
    {"cables", Command::Cables, false, false, false},
};

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool HasToken(const std::vector<std::string>& args, const std::string& token) {
  for (const std::string& arg : args) {
    if (arg == token) return true;
  }
  return false;
}

// The flags CLI11 can read from the arguments: a group of short flags is one flag per
// known letter, and what follows the known letters goes back as an argument of its own
// with a '-' before it ("-q-json" is -q --json, "-qx" is -q -x, "-q--x" is -q ---x, "-q-"
// is -q --); an argument that does not start with a known letter stays whole ("-1help").
// Groups after a "--" count too: when the command's operand is already filled, the
// arguments after it go back to the main parser, which reads them as options.
std::vector<std::string> Expanded(const std::vector<std::string>& args) {
  std::vector<std::string> out;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-' || arg[1] == '-') {
      out.push_back(arg);
      continue;
    }
    for (size_t at = 1; at < arg.size(); ++at) {
      if (std::strchr("qvh", arg[at]) == nullptr) {
        out.push_back("-" + arg.substr(at));
        break;
      }
      out.push_back(std::string("-") + arg[at]);
    }
  }
  return out;
}

// A value option holds its default unless the option was named before any "--", and
// then one value the user gave it: the text after "NAME=", or the argument after "NAME"
// (or after an empty "NAME="). Never one that starts like an option.
bool ValueWasGiven(const std::vector<std::string>& args, const std::string& name,
                   const std::string& value, const std::string& initial) {
  bool named = false;
  bool positional = false;
  for (size_t i = 0; i < args.size(); ++i) {
    positional = positional || args[i] == "--";
    named = named || (!positional && StartsWith(args[i], name));
    if (args[i] == name + "=" + value) return value.empty() || value[0] != '-';
    bool nameAlone = args[i] == name || args[i] == name + "=";
    if (nameAlone && i + 1 < args.size() && args[i + 1] == value) {
      return value.empty() || value[0] != '-';
    }
  }
  return !named && value == initial;
}

// A flag is only set by its long name or its letter.
bool FlagWasGiven(const std::vector<std::string>& args, const std::string& name, char letter) {
  for (const std::string& arg : args) {
    if (StartsWith(arg, name)) return true;
    if (letter != 0 && arg == std::string("-") + letter) return true;
  }
  return false;
}

// Only an option argument asks for the help or the version. A short group may end in a
// long name ("-q-version" is -q --version).
bool AsksForHelpOrVersion(const std::vector<std::string>& args) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (StartsWith(arg, "-") &&
        (arg.find('h') != std::string::npos || arg.find("-version") != std::string::npos)) {
      return true;
    }
  }
  return false;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckGoingOn(const std::vector<std::string>& args, const Options& options, Command command,
                  const char* commandName) {
  Check(commandName != nullptr);
  const Expected* chosen = nullptr;
  for (const Expected& expected : COMMANDS) {
    if (std::strcmp(commandName, expected.name) == 0) chosen = &expected;
  }
  Check(chosen != nullptr && chosen->command == command && HasToken(args, commandName));
  // The operand is the command's own: present and typed when it takes one, empty when not.
  Check(chosen->file == !options.file.empty() && chosen->output == !options.output.empty());
  const std::vector<std::string> read = Expanded(args);
  // An operand is a whole argument, or what a group of short flags left behind.
  Check(options.file.empty() || HasToken(args, options.file) || HasToken(read, options.file));
  Check(options.output.empty() || HasToken(args, options.output) ||
        HasToken(read, options.output));
  Check(!options.verify || (chosen->verify && FlagWasGiven(read, "--verify", 0)));

  Check(ValueWasGiven(read, "--board", options.board, "usb"));
  Check(ValueWasGiven(read, "--serial", options.serial, ""));
  Check(ValueWasGiven(read, "--trace", options.trace, ""));
  Check(ValueWasGiven(read, "--vcd", options.vcd, ""));
  Check(!options.quiet || FlagWasGiven(read, "--quiet", 'q'));
  Check(!options.verbose || FlagWasGiven(read, "--verbose", 'v'));
  Check(!options.json || FlagWasGiven(read, "--json", 0));
  Check(!options.force || FlagWasGiven(read, "--force", 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // argv[0] is the program; the input's NUL bytes end each argument after it (none when
  // the input is empty).
  std::vector<std::string> args{"torvane-cli"};
  const char* text = reinterpret_cast<const char*>(data);
  size_t start = 0;
  while (size > 0 && start <= size && args.size() <= MAX_ARGUMENTS) {
    const void* nul = std::memchr(text + start, '\0', size - start);
    size_t end = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : size;
    args.emplace_back(text + start, end - start);
    start = end + 1;
  }
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);

  static NullBuffer sink;
  std::streambuf* out = std::cout.rdbuf(&sink);
  std::streambuf* err = std::cerr.rdbuf(&sink);
  Options options;
  Command command = Command::Detect;
  const char* commandName = nullptr;
  int code = ParseCommandLine(static_cast<int>(args.size()), argv.data(), &options, &command,
                              &commandName);
  std::cout.rdbuf(out);
  std::cerr.rdbuf(err);

  if (code == -1) {
    CheckGoingOn(args, options, command, commandName);
  } else {
    Check(code == 2 || (code == 0 && AsksForHelpOrVersion(args)));
  }
  return 0;
}
