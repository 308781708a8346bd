#include "cli/run.h"

#include <cstdio>
#include <string>
#include <utility>

#include "cli/command_run.h"
#include "cli/console.h"
#include "cli/stop_signals.h"
#include "procedures/load_file.h"

namespace torvane::cli {

namespace {

bool ChooseAdapter(CommandRun& run) {
  std::string error;
  if (!run.options.serial.empty() && run.options.board != "usb") {
    run.report.Fail("--serial names a real cable: it goes with --board usb");
    return false;
  }
  if (!run.choice.Choose(run.options.board, &error, run.options.serial)) {
    run.report.Fail(error);
    return false;
  }
  return true;
}

// Nothing the tool writes may land on its input, whatever name leads there.
bool OutputsSpareTheInput(CommandRun& run) {
  const std::pair<const char*, const std::string*> outputs[] = {{"trace", &run.options.trace},
                                                                {"waveform", &run.options.vcd}};
  for (const auto& [what, path] : outputs) {
    if (!path->empty() && PathNamesFile(*path, run.input.bit.identity)) {
      run.report.Fail(std::string("the ") + what + " file '" + *path + "' is the input file '" +
                      run.options.file + "': refusing to overwrite it");
      return false;
    }
  }
  return true;
}

// The input is read whole before any output is opened and before any adapter traffic: a
// missing or malformed file stops the run there, and a download sends this snapshot. A
// file that is no configuration data at all gets the dialog's box and then the reason.
bool LoadInput(CommandRun& run) {
  const std::string& path = run.options.file;
  std::string why;
  switch (LoadConfigFile(path.c_str(), LargestPromBytes(), &run.input, &why)) {
    case ConfigFileError::None:
      return OutputsSpareTheInput(run);
    case ConfigFileError::NotFound:
      ShowFileError(run.host, BitFileError::NotFound);
      return false;
    case ConfigFileError::WrongFormat:
    case ConfigFileError::NoSyncWord:
      ShowFileError(run.host, BitFileError::WrongFormat);
      break;
    case ConfigFileError::TooLarge:
    case ConfigFileError::BadRecord:
      break;
  }
  run.report.Fail("'" + path + "': " + why);
  return false;
}

// The trace and the waveform opened, the link on the chosen adapter.
bool OpenOutputs(CommandRun& run) {
  std::string error;
  if (!run.choice.Record(run.options.trace, run.options.vcd, &error)) {
    run.report.Fail(error);
    return false;
  }
  run.state.link.adapter = run.choice.adapter();
  run.state.stopRequested = StopRequest();
  run.state.verifyPromAfterDownload = run.options.verify;
  if (run.command == Command::Read && run.choice.WritesTo(run.options.output)) {
    run.report.Fail("'" + run.options.output + "' is also the trace or waveform file");
    return false;
  }
  return true;
}

// Identification, then the outputs flushed: a lost trace is known before anything is
// erased or configured, and the device stays as it was.
bool Identify(CommandRun& run) {
  run.found = IdentifyChain(run.state, run.host);
  if (run.found.openStatus != ADAPTER_OK) {
    std::string problem = run.choice.OpenProblem();
    if (!problem.empty()) run.report.Fail(problem);
  }
  if (run.options.verbose) {
    std::fprintf(stderr, "idcode 0x%08X, open status %d\n", run.found.idcode,
                 run.found.openStatus);
  }
  run.chain = IdentifiedChain(run.state);
  run.report.chain = JsonString(ChainName(run.chain));
  std::string error;
  if (!run.choice.FlushFiles(&error)) {
    run.report.Fail(error);
    return false;
  }
  return true;
}

// The cable closed and the outputs put in place: a lost trace or waveform must not pass
// for a complete run.
RunVerdict Close(CommandRun& run, RunVerdict verdict) {
  run.host.FinishProgress();
  LinkClose(run.state.link);
  std::string error;
  if (!run.choice.FinishFiles(&error)) {
    run.report.Fail(error);
    if (verdict == RunVerdict::Complete) verdict = RunVerdict::Refused;
  }
  return verdict;
}

}  // namespace

RunVerdict Run(const CommandEntry& entry, const Options& options, RunReport& report,
               AdapterChoice& choice) {
  const bool chain = entry.needs == Needs::Chain || entry.needs == Needs::FileAndChain;
  const bool file = entry.needs == Needs::File || entry.needs == Needs::FileAndChain;
  TerminalHost host(options.quiet, chain && StderrIsTerminal(), options.json, &report);
  CommandRun run(options, report, host, choice, entry.command);
  if (chain && !ChooseAdapter(run)) return RunVerdict::Refused;
  if (file && !LoadInput(run)) return RunVerdict::Refused;
  if (!chain) return entry.run(run);
  if (!OpenOutputs(run)) return RunVerdict::Refused;
  RunVerdict verdict = Identify(run) ? entry.run(run) : RunVerdict::Refused;
  return Close(run, verdict);
}

}  // namespace torvane::cli
