// The parts the tool knows, in one table: how a device is told from its IDCODE, what it is
// called, its instruction register, what the device line says after identification, how
// long an FPGA's configuration is and how a .bit header names it, and how a PROM's flash
// is laid out. And the one rule for what a PROM download programs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

constexpr uint32_t IDCODE_XC3S50 = 0x0140D093;
constexpr uint32_t IDCODE_XC3S200 = 0x01414093;
constexpr uint32_t IDCODE_XC3S400 = 0x0141C093;
constexpr uint32_t IDCODE_XC3S1000 = 0x01428093;
constexpr uint32_t IDCODE_XC3S1500 = 0x01434093;
constexpr uint32_t IDCODE_XC3S2000 = 0x01440093;
constexpr uint32_t IDCODE_XC3S4000 = 0x01448093;
constexpr uint32_t IDCODE_XC3S5000 = 0x01450093;
constexpr uint32_t IDCODE_PROM_XCF01S = 0xF5044093;
constexpr uint32_t IDCODE_PROM_XCF02S = 0xF5045093;
constexpr uint32_t IDCODE_PROM_XCF04S = 0xF5046093;
// Bits 31..28 carry the silicon revision; every revision of a part shares the rest.
constexpr uint32_t IDCODE_PART_MASK = 0x0FFFFFFF;

// The instruction registers of the two families: the scans of the chains the tool loads
// (an FPGA alone, an FPGA behind a PROM) are built for these.
constexpr int FPGA_IR_LENGTH = 6;
constexpr int PROM_IR_LENGTH = 8;

enum class PartFamily { Fpga, Prom };

struct Part {
  uint32_t idcode;
  uint32_t idcodeMask;     // the bits that name the part
  const char* name;        // "XC3S200"
  PartFamily family;
  int irLength;
  const char* statusText;  // the device status line once identified
  // An FPGA: the IDCODE its bitstreams carry, how a .bit header's part names it ("3s200",
  // then the package), and the length of a whole configuration. Zero and null for a PROM.
  uint32_t bitstreamIdcode;
  const char* headerPart;
  uint32_t configBits;
  // A PROM: its flash, programmed and read block by block. Zero for an FPGA.
  uint32_t blockBytes;
  uint32_t blockCount;
};

// Every row of the table, in order, for a range-for.
struct PartRange {
  const Part* first;
  const Part* last;
  const Part* begin() const { return first; }
  const Part* end() const { return last; }
};
PartRange Parts();

// The part whose code matches `idcode` in its mask; null for a part the tool does not know.
const Part* FindPart(uint32_t idcode);

// The FPGA whose bitstreams write `idcode`, any revision; null for one the table does not
// know.
const Part* StreamPart(uint32_t idcode);

// Whether a design whose header names `headerPart` ("3s200ft256", or with "xc" before it)
// is for `fpga`. A header with an empty part names none and fits any.
bool PartFits(const std::string& headerPart, const Part& fpga);

// The PROM a download lays its blocks out for: the one identification found, else the
// XCF02S (a download into a chain that did not answer still runs, with its blocks).
const Part& PromFor(const Part* identified);

uint32_t PromCapacity(const Part& prom);  // bytes
// Whether `dataBytes` of data fit in the PROM.
bool PromFits(const Part& prom, size_t dataBytes);
// What a download programs: the data padded with 0xFF to whole blocks, one block more
// when the data ends on a block boundary, never past the PROM's end. `data` must fit.
std::vector<uint8_t> PromImage(const Part& prom, const std::vector<uint8_t>& data);

}  // namespace torvane
