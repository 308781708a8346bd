// One run of one command: the needs its table entry names, staged in order (the adapter
// chosen, the input loaded, the outputs opened, the chain identified), the command's
// function called, and the cable and the outputs closed after it.
#pragma once

#include "cli/adapter_choice.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/run_report.h"

namespace torvane::cli {

// `choice` holds the adapter and the trace and waveform files; after the run it still
// holds the simulated board, for a caller that looks at what the board went through.
RunVerdict Run(const CommandEntry& entry, const Options& options, RunReport& report,
               AdapterChoice& choice);

}  // namespace torvane::cli
