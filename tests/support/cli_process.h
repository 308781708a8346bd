// torvane-cli run as a user runs it: through the POSIX shell with its outputs captured, or
// as a child whose standard output is a pipe the test reads (or one nobody reads).
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"

namespace torvane::testing {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

// The text with Windows line ends read as plain ones: the same lines on every build.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string lines = text.str();
  for (size_t at = lines.find("\r\n"); at != std::string::npos; at = lines.find("\r\n", at)) {
    lines.erase(at, 1);
  }
  return lines;
}

inline std::string Setting(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

// TORVANE_CLI_UNDER_TEST names another build of the program (torvane-cli.exe) and
// TORVANE_CLI_RUNNER what runs it (Wine).
inline const std::string PROGRAM = Setting("TORVANE_CLI_UNDER_TEST", TORVANE_CLI);
inline const std::string RUNNER = Setting("TORVANE_CLI_RUNNER", "");
inline const bool WINDOWS_BUILD =
    PROGRAM.size() > 4 && PROGRAM.compare(PROGRAM.size() - 4, 4, ".exe") == 0;

// Runs a shell command line with standard output and error captured apart.
inline Outcome RunShell(const ScratchDir& dir, const std::string& command) {
  std::string out = dir.Path("stdout.txt");
  std::string err = dir.Path("stderr.txt");
  int status = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return {code, ReadFile(out), ReadFile(err)};
}

inline Outcome RunProgram(const ScratchDir& dir, const std::string& program,
                          const std::string& arguments) {
  return RunShell(dir, RUNNER + " '" + program + "' " + arguments);
}

inline Outcome RunCli(const ScratchDir& dir, const std::string& arguments) {
  return RunProgram(dir, PROGRAM, arguments);
}

// torvane-cli with its standard output on a pipe and its standard error in a file.
class CliChild {
 public:
  // `reader`: false when the pipe's reading end is closed before the program starts, as
  // when the reader has already gone.
  CliChild(const std::vector<std::string>& arguments, std::string errPath, bool reader = true)
      : errPath_(std::move(errPath)) {
    int fds[2];
    if (pipe(fds) != 0) return;
    if (!reader) close(fds[0]);
    pid_ = fork();
    if (pid_ == 0) {
      if (reader) close(fds[0]);
      dup2(fds[1], STDOUT_FILENO);
      FILE* err = std::fopen(errPath_.c_str(), "w");
      if (err) dup2(fileno(err), STDERR_FILENO);
      std::vector<char*> argv{const_cast<char*>(TORVANE_CLI)};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(TORVANE_CLI, argv.data());
      _exit(127);
    }
    close(fds[1]);
    readEnd_ = reader ? fds[0] : -1;
  }
  ~CliChild() {
    if (readEnd_ >= 0) close(readEnd_);
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  // Reads standard output until `seen` holds for what was read so far; false at its end.
  bool ReadUntil(const std::function<bool(const std::string&)>& seen) {
    while (!seen(out)) {
      if (!ReadSome()) return false;
    }
    return true;
  }
  void Signal(int number) { kill(pid_, number); }
  // Reads the rest of standard output and waits: the exit code, or -1 after a signal.
  int Finish() {
    while (ReadSome()) {
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    err = ReadFile(errPath_);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string out;
  std::string err;

 private:
  bool ReadSome() {
    if (readEnd_ < 0) return false;
    char buffer[65536];
    ssize_t n = read(readEnd_, buffer, sizeof buffer);
    if (n <= 0) return false;
    out.append(buffer, static_cast<size_t>(n));
    return true;
  }

  std::string errPath_;
  pid_t pid_ = -1;
  int readEnd_ = -1;
  bool reaped_ = false;
};

}  // namespace torvane::testing
