#include "cli/bit_info.h"

#include <cctype>

#include "procedures/download_prom.h"
#include "procedures/identify.h"

namespace torvane::cli {

const SupportedChain SUPPORTED_CHAINS[4] = {
    {"XC3S200 alone", IDCODE_XC3S200, false},
    {"XC3S400 alone", IDCODE_XC3S400, false},
    {"XC3S200 and PROM", IDCODE_XC3S200, true},
    {"XC3S400 and PROM", IDCODE_XC3S400, true},
};

bool PartFits(const std::string& headerPart, const ChainPart& fpga) {
  if (headerPart.empty()) return true;
  std::string part;
  for (char c : headerPart) part += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (part.compare(0, 2, "xc") == 0) part.erase(0, 2);
  const std::string want = fpga.bitPart;
  if (part.compare(0, want.size(), want) != 0) return false;
  // What follows is the package ("ft256"): a digit would be a larger part (3s2000), an
  // 'a' or 'e' another family (3s200a).
  if (part.size() == want.size()) return true;
  char next = part[want.size()];
  return !std::isdigit(static_cast<unsigned char>(next)) && next != 'a' && next != 'e';
}

std::string PartRefusal(const std::string& headerPart, const ChainPart& fpga) {
  return "the file is a design for " + headerPart + " but the chain holds an " + fpga.name +
         ": refusing to send it (--force sends it anyway)";
}

std::string ProgramPlan(const BitFile& file, const SupportedChain& chain) {
  const ChainPart* fpga = FindChainPart(chain.fpgaIdcode);
  if (fpga && !PartFits(file.partName, *fpga)) {
    return std::string("refused: the design is for ") + file.partName + ", not the " +
           fpga->name;
  }
  if (!chain.withProm) return "configures the FPGA (volatile)";
  if (file.data.size() > PROM_CAPACITY_BYTES) return "refused: the data is larger than the PROM";
  return "erases and programs the PROM ('fpga' configures only the FPGA, volatile)";
}

void PrintBitInfo(const BitFile& file, std::FILE* out) {
  std::fprintf(out, "design: %s\npart: %s\ndate: %s\ntime: %s\n", file.designName.c_str(),
               file.partName.empty() ? "(none)" : file.partName.c_str(), file.date.c_str(),
               file.time.c_str());
  const unsigned long long length = file.data.size();
  std::fprintf(out, "data length: %llu bytes", length);
  if (file.declaredLength != length) {
    std::fprintf(out, " (the header declares %u; all %llu are sent)",
                 static_cast<unsigned>(file.declaredLength), length);
  }
  std::fprintf(out, "\n");
  for (const SupportedChain& chain : SUPPORTED_CHAINS) {
    std::fprintf(out, "program on %s: %s\n", chain.text, ProgramPlan(file, chain).c_str());
  }
}

JsonObject BitInfoJson(const BitFile& file) {
  JsonObject plans;
  for (const SupportedChain& chain : SUPPORTED_CHAINS) {
    plans.Text(chain.text, ProgramPlan(file, chain));
  }
  JsonObject info;
  info.Text("design", file.designName)
      .TextOrNull("part", file.partName)
      .Text("date", file.date)
      .Text("time", file.time)
      .Number("dataLength", file.data.size())
      .Number("declaredLength", file.declaredLength)
      .Json("program", plans.str());
  return info;
}

}  // namespace torvane::cli
