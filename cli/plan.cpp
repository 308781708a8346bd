#include "cli/plan.h"

#include <algorithm>
#include <cstdio>

namespace torvane::cli {

namespace {

// A .bit names its part in the header; the other files by the IDCODE their stream writes,
// which any revision of the part matches.
bool FileFits(const ConfigFile& file, const Part& fpga) {
  if (file.format == ConfigFormat::Bit) return PartFits(file.bit.partName, fpga);
  return !file.hasIdcode || StreamPart(file.idcode) == &fpga;
}

}  // namespace

std::string FilePartName(const ConfigFile& file) {
  if (file.format == ConfigFormat::Bit) return file.bit.partName;
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(file.idcode));
  const Part* part = StreamPart(file.idcode);
  return part ? std::string(part->name) + " (IDCODE " + code + ")"
              : std::string("a part the tool does not know (IDCODE ") + code + ")";
}

std::string OtherPartReason(const ConfigFile& file, const Part* chainFpga) {
  std::string held = chainFpga ? std::string(" but the chain holds an ") + chainFpga->name : "";
  return "the file is a design for " + FilePartName(file) + held + " (--force sends it anyway)";
}

bool NamesPart(const ConfigFile& file) {
  return file.format == ConfigFormat::Bit ? !file.bit.partName.empty() : file.hasIdcode;
}

Plan PlanFor(const ConfigFile& file, const ChainParts& chain, Command command, bool force) {
  if (!chain.fpga && !chain.prom) return {PlanAction::NoDevice, TEXT_NO_DEVICE};
  if (!force && chain.fpga && !FileFits(file, *chain.fpga)) {
    return {PlanAction::Refuse, OtherPartReason(file, chain.fpga), /*otherPart=*/true};
  }
  if (!chain.prom) {
    if (command == Command::Prom) {
      return {PlanAction::Refuse,
              "the chain holds an FPGA alone, not a configuration PROM: use 'program' or 'fpga'"};
    }
    return {PlanAction::ConfigureFpga, "configures the FPGA (volatile)"};
  }
  if (command == Command::Fpga) {
    return {PlanAction::ConfigureBehindProm,
            "configures the FPGA behind the PROM (volatile), the PROM left as it is"};
  }
  // More than the flash holds would be programmed past its end, over wrapped addresses.
  const size_t size = file.bit.data.size();
  if (!PromFits(*chain.prom, size)) {
    return {PlanAction::Refuse, "the data (" + std::to_string(size) +
                                    " bytes) is larger than the " + chain.prom->name + " (" +
                                    std::to_string(PromCapacity(*chain.prom)) + " bytes)"};
  }
  return {PlanAction::ProgramProm,
          "erases and programs the PROM ('fpga' configures only the FPGA, volatile)"};
}

std::string PlanText(const Plan& plan) {
  return plan.action == PlanAction::Refuse ? "refused: " + plan.reason : plan.reason;
}

ChainParts IdentifiedChain(const AppState& state) {
  ChainParts chain;
  if (state.part && state.part->family == PartFamily::Fpga) chain.fpga = state.part;
  if (state.part && state.part->family == PartFamily::Prom) chain.prom = state.part;
  return chain;
}

std::string ChainName(const ChainParts& chain) {
  if (chain.prom) {
    return std::string(chain.fpga ? chain.fpga->name : "FPGA") + " and " + chain.prom->name;
  }
  if (chain.fpga) return std::string(chain.fpga->name) + " alone";
  return "none";
}

std::vector<ChainParts> LoadableChains() {
  std::vector<ChainParts> chains;
  for (const Part& fpga : Parts()) {
    if (fpga.family == PartFamily::Fpga) chains.push_back({&fpga, nullptr});
  }
  for (const Part& prom : Parts()) {
    if (prom.family != PartFamily::Prom) continue;
    for (const Part& fpga : Parts()) {
      if (fpga.family == PartFamily::Fpga) chains.push_back({&fpga, &prom});
    }
  }
  return chains;
}

uint32_t LargestPromBytes() {
  uint32_t largest = 0;
  for (const Part& part : Parts()) {
    if (part.family == PartFamily::Prom) largest = std::max(largest, PromCapacity(part));
  }
  return largest;
}

}  // namespace torvane::cli
