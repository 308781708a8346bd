#include "cli/plan.h"

namespace torvane::cli {

Plan PlanFor(const BitFile& file, const ChainParts& chain, Command command, bool force) {
  if (!chain.fpga && !chain.prom) return {PlanAction::NoDevice, TEXT_NO_DEVICE};
  if (!force && chain.fpga && !PartFits(file.partName, *chain.fpga)) {
    return {PlanAction::Refuse, "the file is a design for " + file.partName +
                                    " but the chain holds an " + chain.fpga->name +
                                    " (--force sends it anyway)"};
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
  if (!PromFits(*chain.prom, file.data.size())) {
    return {PlanAction::Refuse, "the data (" + std::to_string(file.data.size()) +
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

}  // namespace torvane::cli
