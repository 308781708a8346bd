// What a .bit file is for: its header fields, whether its part is the FPGA a chain holds,
// and what 'program' would do with it on each chain the tool loads.
#pragma once

#include <cstdio>
#include <string>

#include "bitfile/bit_file.h"
#include "cli/json_writer.h"
#include "procedures/parts.h"

namespace torvane::cli {

// The refusal of a design for another part, with the way past it.
std::string PartRefusal(const std::string& headerPart, const Part& fpga);

// What 'program' does with `file` on the FPGA alone or (`prom` not null) behind the PROM,
// as one phrase.
std::string ProgramPlan(const BitFile& file, const Part& fpga, const Part* prom);

// The header fields, the data length and the plan on each chain, as lines of text.
void PrintBitInfo(const BitFile& file, std::FILE* out);
// The same as JSON members: design, part, date, time, dataLength, declaredLength, and
// program (one member per chain).
JsonObject BitInfoJson(const BitFile& file);

}  // namespace torvane::cli
