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

const char* VerdictWord(int exitCode) {
  switch (exitCode) {
    case 0:
      return "complete";
    case 1:
      return "failed";
    default:
      return "refused";
  }
}

std::string RunJson(const char* command, int exitCode, const RunReport& report, double seconds) {
  JsonObject object;
  object.Text("command", command)
      .Text("verdict", VerdictWord(exitCode))
      .TextOrNull("cause", report.cause)
      .Json("chain", report.chain)
      .Members(report.details)
      .Seconds("seconds", seconds);
  return object.str();
}

}  // namespace torvane::cli
