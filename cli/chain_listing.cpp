#include "cli/chain_listing.h"

#include <vector>

#include "cli/json_writer.h"

namespace torvane::cli {

namespace {

constexpr const char* WIRING_HINT =
    "check the wiring (TDO on D5, TMS on D3, TCK on D6, TDI on D7) and the board's power";

}  // namespace

void PrintChainListing(const ChainListing& listing, std::FILE* out) {
  if (listing.count > 0) std::fprintf(out, "JTAG chain, TDI to TDO:\n");
  for (size_t i = 0; i < listing.count; ++i) {
    const Part* part = FindPart(listing.idcodes[i]);
    unsigned position = static_cast<unsigned>(i + 1);
    if (part) {
      std::fprintf(out, "  %u  0x%08X  %-8s IR %d\n", position, listing.idcodes[i], part->name,
                   part->irLength);
    } else {
      std::fprintf(out, "  %u  0x%08X  unknown  IR ?\n", position, listing.idcodes[i]);
    }
  }
}

std::string ChainJson(const ChainListing& listing) {
  std::vector<std::string> devices;
  for (size_t i = 0; i < listing.count; ++i) {
    const Part* part = FindPart(listing.idcodes[i]);
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", listing.idcodes[i]);
    JsonObject device;
    device.Number("position", i + 1)
        .Text("idcode", code)
        .Text("name", part ? part->name : "unknown");
    device.Json("irLength", part ? std::to_string(part->irLength) : "null");
    devices.push_back(device.str());
  }
  return JsonArray(devices);
}

std::string ChainProblem(ChainRead result) {
  switch (result) {
    case ChainRead::Read:
      break;
    case ChainRead::StuckLow:
      return std::string("TDO reads 0 throughout the chain scan: ") + WIRING_HINT;
    case ChainRead::StuckHigh:
      return std::string("TDO reads 1 throughout the chain scan, no device drives it: ") +
             WIRING_HINT;
    case ChainRead::NoSamples:
      return "the chain scan's samples did not come back through the cable";
    case ChainRead::TooLong:
      return "the chain scan found no end within " + std::to_string(MAX_CHAIN_DEVICES) +
             " devices: " + WIRING_HINT;
  }
  return std::string();
}

const Part* ChainFpga(const ChainListing& listing) {
  for (size_t i = 0; i < listing.count; ++i) {
    const Part* part = FindPart(listing.idcodes[i]);
    if (part && part->family == PartFamily::Fpga) return part;
  }
  return nullptr;
}

}  // namespace torvane::cli
