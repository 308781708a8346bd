// What a .bit file is for: its header fields, whether its part is the FPGA a chain holds,
// and what 'program' would do with it on each chain the tool loads.
#pragma once

#include <cstdio>
#include <string>

#include "bitfile/bit_file.h"
#include "cli/json_writer.h"
#include "procedures/chain_scan.h"

namespace torvane::cli {

// Whether a design whose header names `headerPart` ("3s200ft256", or with "xc" before it)
// is for `fpga`. A header with an empty part names none and fits any.
bool PartFits(const std::string& headerPart, const ChainPart& fpga);

// The refusal of a design for another part, with the way past it.
std::string PartRefusal(const std::string& headerPart, const ChainPart& fpga);

// One chain the tool loads: an FPGA alone or the FPGA behind the PROM.
struct SupportedChain {
  const char* text;  // "XC3S200 alone"
  uint32_t fpgaIdcode;
  bool withProm;
};
extern const SupportedChain SUPPORTED_CHAINS[4];

// What 'program' does with `file` on `chain`, as one phrase.
std::string ProgramPlan(const BitFile& file, const SupportedChain& chain);

// The header fields, the data length and the plan on each chain, as lines of text.
void PrintBitInfo(const BitFile& file, std::FILE* out);
// The same as JSON members: design, part, date, time, dataLength, declaredLength, and
// program (one member per chain).
JsonObject BitInfoJson(const BitFile& file);

}  // namespace torvane::cli
