#include "cli/bit_info.h"

#include <functional>

namespace torvane::cli {

namespace {

// Each chain the tool loads, from the part table: every FPGA alone, then every FPGA
// behind every PROM.
void ForEachChain(const std::function<void(const std::string&, const Part&, const Part*)>& visit) {
  for (const Part& fpga : Parts()) {
    if (fpga.family == PartFamily::Fpga) visit(std::string(fpga.name) + " alone", fpga, nullptr);
  }
  for (const Part& prom : Parts()) {
    if (prom.family != PartFamily::Prom) continue;
    for (const Part& fpga : Parts()) {
      if (fpga.family == PartFamily::Fpga) {
        visit(std::string(fpga.name) + " and PROM", fpga, &prom);
      }
    }
  }
}

}  // namespace

std::string PartRefusal(const std::string& headerPart, const Part& fpga) {
  return "the file is a design for " + headerPart + " but the chain holds an " + fpga.name +
         ": refusing to send it (--force sends it anyway)";
}

std::string ProgramPlan(const BitFile& file, const Part& fpga, const Part* prom) {
  if (!PartFits(file.partName, fpga)) {
    return std::string("refused: the design is for ") + file.partName + ", not the " + fpga.name;
  }
  if (!prom) return "configures the FPGA (volatile)";
  if (!PromFits(*prom, file.data.size())) return "refused: the data is larger than the PROM";
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
  ForEachChain([&](const std::string& chain, const Part& fpga, const Part* prom) {
    std::fprintf(out, "program on %s: %s\n", chain.c_str(), ProgramPlan(file, fpga, prom).c_str());
  });
}

JsonObject BitInfoJson(const BitFile& file) {
  JsonObject plans;
  ForEachChain([&](const std::string& chain, const Part& fpga, const Part* prom) {
    plans.Text(chain.c_str(), ProgramPlan(file, fpga, prom));
  });
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
