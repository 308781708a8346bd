#include "procedures/parts.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace torvane {

namespace {

// idcode, mask, name, family, IR length, device line; bitstream IDCODE, header part;
// block bytes, block count.
const Part PARTS[] = {
    {IDCODE_XC3S200, IDCODE_PART_MASK, "XC3S200", PartFamily::Fpga, FPGA_IR_LENGTH,
     "Download FPGA XC3S200", IDCODE_XC3S200, "3s200", 0, 0},
    {IDCODE_XC3S400, IDCODE_PART_MASK, "XC3S400", PartFamily::Fpga, FPGA_IR_LENGTH,
     "Download FPGA XC3S400", IDCODE_XC3S400, "3s400", 0, 0},
    {IDCODE_PROM_XCF02S, IDCODE_PART_MASK, "XCF02S", PartFamily::Prom, PROM_IR_LENGTH,
     "Download PROM", 0, nullptr, 512, 512},  // 2 Mbit
};

}  // namespace

PartRange Parts() { return PartRange{std::begin(PARTS), std::end(PARTS)}; }

const Part* FindPart(uint32_t idcode) {
  for (const Part& part : Parts()) {
    if (((part.idcode ^ idcode) & part.idcodeMask) == 0) return &part;
  }
  return nullptr;
}

bool PartFits(const std::string& headerPart, const Part& fpga) {
  if (headerPart.empty()) return true;
  std::string part;
  for (char c : headerPart) part += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (part.compare(0, 2, "xc") == 0) part.erase(0, 2);
  const std::string want = fpga.headerPart;
  if (part.compare(0, want.size(), want) != 0) return false;
  // What follows is the package ("ft256"): a digit would be a larger part (3s2000), an
  // 'a' or 'e' another family (3s200a).
  if (part.size() == want.size()) return true;
  char next = part[want.size()];
  return !std::isdigit(static_cast<unsigned char>(next)) && next != 'a' && next != 'e';
}

const Part& PromFor(const Part* identified) {
  if (identified && identified->family == PartFamily::Prom) return *identified;
  return *std::find_if(Parts().begin(), Parts().end(),
                       [](const Part& part) { return part.family == PartFamily::Prom; });
}

uint32_t PromCapacity(const Part& prom) { return prom.blockBytes * prom.blockCount; }

bool PromFits(const Part& prom, size_t dataBytes) { return dataBytes <= PromCapacity(prom); }

std::vector<uint8_t> PromImage(const Part& prom, const std::vector<uint8_t>& data) {
  size_t blocks = std::min<size_t>(data.size() / prom.blockBytes + 1, prom.blockCount);
  std::vector<uint8_t> image(blocks * prom.blockBytes, 0xFF);
  std::copy(data.begin(), data.begin() + std::min(data.size(), image.size()), image.begin());
  return image;
}

}  // namespace torvane
