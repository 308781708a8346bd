// What the PROM holds, asked of the hardware: after a PROM download, the FPGA booting from
// it (CONFIG, then DONE) and, when it does not start, the PROM read back and compared;
// and the read-back on its own, for verifying a file or saving the PROM's contents.
// Each reports its progress as a phase of its own (DialogHost::SetReadBackProgress) and
// takes a stop asked for between its exchanges: the PROM leaves programming mode, the
// lines are released, and the result is Interrupted.
#pragma once

#include <cstdint>
#include <vector>

#include "bitfile/bit_file.h"
#include "procedures/app_state.h"
#include "procedures/dialog_host.h"
#include "procedures/verdict.h"

namespace torvane {

// After the download's finish: takes the PROM out of programming mode, sends CONFIG and
// polls DONE; when DONE stays low (or state.verifyPromAfterDownload), reads back the
// blocks of `written` and compares. Shows the verdict and fills state.report. The phase
// counts the DONE polls, then the blocks read back.
// `downloadCause`: WriteFailed when the download itself went wrong; the
// PROM is then only taken out of programming mode, and the verdict is a failure.
DownloadResult CheckPromAfterDownload(AppState& state, DialogHost& host,
                                      const std::vector<uint8_t>& written,
                                      PromCause downloadCause);

// Reads back the blocks the download of `file` would program (PromImage) and compares:
// no erase, no write, no verdict box. Complete when equal; Failed with state.report
// saying why; FileError when the file is too large for the PROM; Interrupted.
DownloadResult VerifyProm(AppState& state, DialogHost& host, const BitFile& file);

// Reads the whole PROM (PromCapacity bytes) into `image`: Complete; Failed with
// state.report saying why, or Interrupted, and `image` empty.
DownloadResult ReadProm(AppState& state, DialogHost& host, std::vector<uint8_t>* image);

}  // namespace torvane
