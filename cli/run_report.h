// What a run says about itself: each cause named on standard error as it is found, and,
// with --json, one object on standard output at the end (the verdict, the first cause,
// the chain and the time taken).
#pragma once

#include <string>

#include "cli/json_writer.h"
#include "procedures/outcome.h"

namespace torvane::cli {

struct RunReport {
  std::string cause;           // the first cause named; empty when there was none
  std::string chain = "null";  // as JSON: the device list (detect) or what held the design
  JsonObject details;          // the command's own members (info: the header)

  // "torvane-cli: TEXT" on standard error; the first becomes the cause.
  void Fail(const std::string& text);
  // Records a cause already shown to the user some other way.
  void Note(const std::string& text);
};

// The exit code of a run: 0 complete, 1 failed, 2 refused (nothing or not all sent),
// 128 + N when stop signal N interrupted it.
int ExitCode(RunVerdict verdict, int stopSignal);
// "complete", "failed" or "refused"; an interrupted run failed.
const char* VerdictWord(RunVerdict verdict);

// The object: command, verdict, cause, chain, the details, seconds. An interrupted run's
// cause is "interrupted", whatever was named before.
std::string RunJson(const char* command, RunVerdict verdict, const RunReport& report,
                    double seconds);

}  // namespace torvane::cli
