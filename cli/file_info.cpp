#include "cli/file_info.h"

#include <string>
#include <vector>

#include "bitfile/config_data.h"
#include "cli/plan.h"
#include "procedures/parts.h"

namespace torvane::cli {

namespace {

Plan ProgramPlan(const ConfigFile& file, const ChainParts& chain) {
  return PlanFor(file, chain, Command::Program, /*force=*/false);
}

std::string Hex(const char* format, uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(value));
  return text;
}

// The IDCODE a PROM file's or raw image's stream writes, and the part the table calls it
// by; both empty when the stream writes none.
std::string StreamIdcode(const ConfigFile& file) {
  return file.hasIdcode ? Hex("0x%08X", file.idcode) : "";
}
std::string StreamPartName(const ConfigFile& file) {
  if (!file.hasIdcode) return "";
  const Part* part = StreamPart(file.idcode);
  return part ? part->name : "unknown";
}

// The checksum as the report gives it: eight lower-case hex digits.
std::string Checksum(const ConfigFile& file, const Part& prom) {
  const std::vector<uint8_t>& data = file.bit.data;
  return Hex("%08x", PromChecksum(data.data(), data.size(), PromCapacity(prom)));
}

// Each PROM of the table that the data fits, the report's checksum for it.
template <typename Each>
void ForEachProm(const ConfigFile& file, Each each) {
  for (const Part& prom : Parts()) {
    if (prom.family == PartFamily::Prom && PromFits(prom, file.bit.data.size())) each(prom);
  }
}

const char* OrNone(const std::string& text) { return text.empty() ? "(none)" : text.c_str(); }

}  // namespace

void PrintFileInfo(const ConfigFile& file, std::FILE* out) {
  const BitFile& bit = file.bit;
  std::fprintf(out, "format: %s\n", ConfigFormatName(file.format));
  if (file.format == ConfigFormat::Bit) {
    std::fprintf(out, "design: %s\npart: %s\ndate: %s\ntime: %s\n", bit.designName.c_str(),
                 OrNone(bit.partName), bit.date.c_str(), bit.time.c_str());
  } else {
    std::fprintf(out, "byte order: %s\nidcode: %s\npart: %s\n", ByteOrderName(file.order),
                 OrNone(StreamIdcode(file)), OrNone(StreamPartName(file)));
  }
  const unsigned long long length = bit.data.size();
  std::fprintf(out, "data length: %llu bytes", length);
  if (bit.declaredLength != length) {
    std::fprintf(out, " (the header declares %u; all %llu are sent)",
                 static_cast<unsigned>(bit.declaredLength), length);
  }
  std::fprintf(out, "\n");
  ForEachProm(file, [&](const Part& prom) {
    std::fprintf(out, "PROM checksum for an %s (as the PROM report gives it): %s\n", prom.name,
                 Checksum(file, prom).c_str());
  });
  // The chains of the part the design is for, each on its line; every chain of another
  // FPGA refuses it the same way, in one line.
  bool otherChains = false;
  bool fitsSome = false;
  for (const ChainParts& chain : LoadableChains()) {
    Plan plan = ProgramPlan(file, chain);
    otherChains = otherChains || plan.otherPart;
    fitsSome = fitsSome || !plan.otherPart;
    if (!plan.otherPart) {
      std::fprintf(out, "program on %s: %s\n", ChainName(chain).c_str(), PlanText(plan).c_str());
    }
  }
  if (otherChains) {
    std::fprintf(out, "program on %s: refused: %s\n", fitsSome ? "any other chain" : "any chain",
                 OtherPartReason(file, nullptr).c_str());
  }
}

JsonObject FileInfoJson(const ConfigFile& file) {
  const BitFile& bit = file.bit;
  JsonObject info;
  info.Text("format", ConfigFormatName(file.format));
  if (file.format == ConfigFormat::Bit) {
    info.Text("design", bit.designName)
        .TextOrNull("part", bit.partName)
        .Text("date", bit.date)
        .Text("time", bit.time)
        .Number("declaredLength", bit.declaredLength);
  } else {
    info.Text("byteOrder", ByteOrderName(file.order))
        .TextOrNull("idcode", StreamIdcode(file))
        .TextOrNull("part", StreamPartName(file));
  }
  info.Number("dataLength", bit.data.size());
  JsonObject checksums;
  ForEachProm(file, [&](const Part& prom) { checksums.Text(prom.name, Checksum(file, prom)); });
  JsonObject plans;
  for (const ChainParts& chain : LoadableChains()) {
    plans.Text(ChainName(chain).c_str(), PlanText(ProgramPlan(file, chain)));
  }
  return info.Json("promChecksum", checksums.str()).Json("program", plans.str());
}

}  // namespace torvane::cli
