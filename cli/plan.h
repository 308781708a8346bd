// What a download command does on a chain, decided once: configure the FPGA, program the
// PROM, load the FPGA behind the PROM, or refuse, and why. A pure function of the file
// and the chain, which 'program', 'fpga', 'prom' and 'info' all ask.
#pragma once

#include <string>
#include <vector>

#include "bitfile/config_file.h"
#include "cli/options.h"
#include "procedures/app_state.h"
#include "procedures/parts.h"

namespace torvane::cli {

// What a chain holds, as far as a download cares.
struct ChainParts {
  const Part* fpga = nullptr;  // null: none, or behind the PROM and not read
  const Part* prom = nullptr;
};

enum class PlanAction {
  ConfigureFpga,        // the FPGA alone: a volatile load
  ProgramProm,          // erase the PROM and program it
  ConfigureBehindProm,  // the FPGA behind the PROM: a volatile load, the PROM left as it is
  Refuse,               // nothing is sent
  NoDevice,             // no supported device answered: there is nothing to load
};

struct Plan {
  PlanAction action;
  std::string reason;      // what the action does, or why nothing is sent
  bool otherPart = false;  // refused because the file is a design for another part
};

// Whether the file names the part it is for: a .bit in its header, a PROM file or a raw
// image by the IDCODE its stream writes. A file that names none fits every FPGA.
bool NamesPart(const ConfigFile& file);

// The part the file is a design for, as a refusal names it: the header's part, or the
// stream's IDCODE and what the table calls it.
std::string FilePartName(const ConfigFile& file);

// Why a design for another part is refused, naming the chain's FPGA when one is given.
std::string OtherPartReason(const ConfigFile& file, const Part* chainFpga);

// `force`: a design that names another part is sent all the same.
Plan PlanFor(const ConfigFile& file, const ChainParts& chain, Command command, bool force);

// The plan as one phrase: "configures the FPGA (volatile)", "refused: ...".
std::string PlanText(const Plan& plan);

// What identification found: the FPGA alone, or the PROM (the FPGA behind it not read).
ChainParts IdentifiedChain(const AppState& state);

// "XC3S200 alone", "XC3S200 and XCF02S", "FPGA and XCF02S" (the FPGA not read), "none".
std::string ChainName(const ChainParts& chain);

// Every chain the part table allows: each FPGA alone, then each FPGA behind each PROM.
std::vector<ChainParts> LoadableChains();

// The most a PROM file may hold: the largest PROM the part table knows, in bytes.
uint32_t LargestPromBytes();

}  // namespace torvane::cli
