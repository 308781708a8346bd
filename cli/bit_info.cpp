#include "cli/bit_info.h"

#include "cli/plan.h"

namespace torvane::cli {

namespace {

// What 'program' does with `file` on `chain`, as one phrase.
std::string ProgramPlan(const BitFile& file, const ChainParts& chain) {
  return PlanText(PlanFor(file, chain, Command::Program, /*force=*/false));
}

}  // namespace

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
  for (const ChainParts& chain : LoadableChains()) {
    std::fprintf(out, "program on %s: %s\n", ChainName(chain).c_str(),
                 ProgramPlan(file, chain).c_str());
  }
}

JsonObject BitInfoJson(const BitFile& file) {
  JsonObject plans;
  for (const ChainParts& chain : LoadableChains()) {
    plans.Text(ChainName(chain).c_str(), ProgramPlan(file, chain));
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
