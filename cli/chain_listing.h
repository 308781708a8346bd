// What detect prints about the whole chain: one line per device from TDI to TDO, or why
// the chain could not be read.
#pragma once

#include <cstdio>
#include <string>

#include "procedures/chain_scan.h"
#include "procedures/parts.h"

namespace torvane::cli {

// "  1  0x01414093  XC3S200  IR 6" for each device, TDI side first.
void PrintChainListing(const ChainListing& listing, std::FILE* out);

// The same as a JSON array of {position, idcode, name, irLength}; irLength null when the
// part is unknown.
std::string ChainJson(const ChainListing& listing);

// What went wrong with the read and what to check; empty when the chain was read.
std::string ChainProblem(ChainRead result);

// The FPGA the chain holds, the one nearest TDI that the tool knows; null if none.
const Part* ChainFpga(const ChainListing& listing);

}  // namespace torvane::cli
