// What a .bit file is for: its header fields, and what 'program' would do with it on each
// chain the tool loads.
#pragma once

#include <cstdio>

#include "bitfile/bit_file.h"
#include "cli/json_writer.h"

namespace torvane::cli {

// The header fields, the data length and the plan on each chain, as lines of text.
void PrintBitInfo(const BitFile& file, std::FILE* out);
// The same as JSON members: design, part, date, time, dataLength, declaredLength, and
// program (one member per chain).
JsonObject BitInfoJson(const BitFile& file);

}  // namespace torvane::cli
