#include "cli/run_report.h"

#include <cstdio>

namespace torvane::cli {

void RunReport::Fail(const std::string& text) {
  std::fprintf(stderr, "torvane-cli: %s\n", text.c_str());
  Note(text);
}

void RunReport::Note(const std::string& text) {
  if (cause.empty()) cause = text;
}

int ExitCode(RunVerdict verdict, int stopSignal) {
  switch (verdict) {
    case RunVerdict::Complete:
      return 0;
    case RunVerdict::Failed:
      return 1;
    case RunVerdict::Refused:
      return 2;
    case RunVerdict::Interrupted:
      return 128 + stopSignal;
  }
  return 1;
}

const char* VerdictWord(RunVerdict verdict) {
  switch (verdict) {
    case RunVerdict::Complete:
      return "complete";
    case RunVerdict::Refused:
      return "refused";
    case RunVerdict::Failed:
    case RunVerdict::Interrupted:
      break;
  }
  return "failed";
}

std::string RunJson(const char* command, RunVerdict verdict, const RunReport& report,
                    double seconds) {
  JsonObject object;
  object.Text("command", command)
      .Text("verdict", VerdictWord(verdict))
      .TextOrNull("cause", verdict == RunVerdict::Interrupted ? TEXT_INTERRUPTED : report.cause)
      .Json("chain", report.chain)
      .Members(report.details)
      .Seconds("seconds", seconds);
  return object.str();
}

}  // namespace torvane::cli
