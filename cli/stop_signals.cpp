#include "cli/stop_signals.h"

#include <csignal>
#include <cstdlib>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace torvane::cli {

namespace {

std::atomic<bool> stopRequested{false};
volatile std::sig_atomic_t firstSignal = 0;
volatile std::sig_atomic_t lineToEnd = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

// Only async-signal-safe work here: the flag, and on a second signal the exit itself.
extern "C" void OnStopSignal(int number) {
  if (firstSignal != 0) {
#ifndef _WIN32
    if (lineToEnd) {
      ssize_t ignored = write(STDERR_FILENO, "\n", 1);
      (void)ignored;
    }
#endif
    std::_Exit(128 + number);
  }
  firstSignal = number;
  stopRequested.store(true);
#ifdef _WIN32
  std::signal(number, OnStopSignal);  // the handler is reset on delivery there
#endif
}

}  // namespace

void InstallStopSignals(bool terminalLine) {
  lineToEnd = terminalLine ? 1 : 0;
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
#ifdef SIGHUP
  std::signal(SIGHUP, OnStopSignal);
#endif
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

const std::atomic<bool>* StopRequest() { return &stopRequested; }

int StopSignal() { return firstSignal; }

}  // namespace torvane::cli
