#include "procedures/parts.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace torvane {

namespace {

constexpr Part MakeFpga(uint32_t idcode, const char* name, const char* statusText,
                        const char* headerPart, uint32_t configBits) {
  return Part{idcode, IDCODE_PART_MASK, name,       PartFamily::Fpga, FPGA_IR_LENGTH, statusText,
              idcode, headerPart,       configBits, 0,                0};
}

// Every PROM's device line is the same: a download programs whichever answered.
constexpr Part MakeProm(uint32_t idcode, const char* name, uint32_t blockBytes,
                        uint32_t blockCount) {
  return Part{idcode, IDCODE_PART_MASK, name, PartFamily::Prom, PROM_IR_LENGTH, "Download PROM",
              0,      nullptr,          0,    blockBytes,       blockCount};
}

// Where the figures come from:
// - IDCODE and instruction register: each part's BSDL file from the vendor, its
//   IDCODE_REGISTER (bits 27..12, the version bits left open) and INSTRUCTION_LENGTH, as
//   UrJTAG's device list carries them (it is built from those files): the XC3S50's bits
//   27..12 are 0001010000001101, 0x140D. xc3sprog's and openFPGALoader's lists agree, and
//   OpenOCD's XCF0xS list, taken from the PROMs' data sheet (DS123). OpenOCD's Spartan-3
//   list and a few hand-written headers give the XC3S50 as 0x0140C093, which no BSDL-built
//   list has; a part answering 0x0140C093 stays unknown.
// - Configuration bits: the Spartan-3 data sheet (DS099), its table of configuration bits
//   per device, as U-Boot's Spartan-3 image sizes repeat it. The frame layout of the
//   vendor's configuration note (XAPP452) gives the same lengths; the test bitstream
//   generator builds its files from that layout.
// - PROM sizes: 1, 2 and 4 Mbit (DS123). A block is what the data register holds: 2048
//   bits in the XCF01S, 4096 in the others, as xc3sprog's and Black Magic Debug's
//   programming of these parts has it; every block takes one address step of 0x20.
const Part PARTS[] = {
    MakeFpga(IDCODE_XC3S50,   "XC3S50",   "Download FPGA XC3S50",   "3s50",   439264),
    MakeFpga(IDCODE_XC3S200,  "XC3S200",  "Download FPGA XC3S200",  "3s200",  1047616),
    MakeFpga(IDCODE_XC3S400,  "XC3S400",  "Download FPGA XC3S400",  "3s400",  1699136),
    MakeFpga(IDCODE_XC3S1000, "XC3S1000", "Download FPGA XC3S1000", "3s1000", 3223488),
    MakeFpga(IDCODE_XC3S1500, "XC3S1500", "Download FPGA XC3S1500", "3s1500", 5214784),
    MakeFpga(IDCODE_XC3S2000, "XC3S2000", "Download FPGA XC3S2000", "3s2000", 7673024),
    MakeFpga(IDCODE_XC3S4000, "XC3S4000", "Download FPGA XC3S4000", "3s4000", 11316864),
    MakeFpga(IDCODE_XC3S5000, "XC3S5000", "Download FPGA XC3S5000", "3s5000", 13271936),
    MakeProm(IDCODE_PROM_XCF01S, "XCF01S", 256, 512),
    MakeProm(IDCODE_PROM_XCF02S, "XCF02S", 512, 512),
    MakeProm(IDCODE_PROM_XCF04S, "XCF04S", 512, 1024),
};

}  // namespace

PartRange Parts() { return PartRange{std::begin(PARTS), std::end(PARTS)}; }

const Part* FindPart(uint32_t idcode) {
  for (const Part& part : Parts()) {
    if (((part.idcode ^ idcode) & part.idcodeMask) == 0) return &part;
  }
  return nullptr;
}

const Part* StreamPart(uint32_t idcode) {
  for (const Part& part : Parts()) {
    if (part.family == PartFamily::Fpga &&
        ((part.bitstreamIdcode ^ idcode) & part.idcodeMask) == 0) {
      return &part;
    }
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
  return *FindPart(IDCODE_PROM_XCF02S);
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
