// The PROM's contents to a file: read whole, then written to a temporary file beside the
// one asked for and renamed over it, so a read or write that fails or is interrupted never
// leaves a half file under the asked name. A name ending in .mcs gets the vendor's PROM
// file (Intel HEX), any other the raw bytes.
#pragma once

#include <string>

#include "procedures/app_state.h"
#include "procedures/dialog_host.h"

namespace torvane::cli {

enum class SaveResult { Saved, ReadFailed, Interrupted, WriteFailed };

// Reads the whole PROM and saves it to `path`.
SaveResult SavePromImage(AppState& state, DialogHost& host, const std::string& path,
                         std::string* error);

}  // namespace torvane::cli
