// The part table held to the figures its comment cites (the BSDL files' IDCODEs and
// instruction registers, the Spartan-3 data sheet's configuration lengths, the PROMs'
// sizes), and a .bit header's part told apart from its neighbours' names.
#include "procedures/parts.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace torvane {
namespace {

TEST(PartTable, HoldsTheCitedFigures) {
  struct Cited {
    const char* name;
    uint32_t idcode;
    int irLength;
    uint32_t configBits;  // FPGAs
    uint32_t capacity;    // PROMs, in bytes
    uint32_t blockBytes;
  };
  const Cited cited[] = {
      {"XC3S50", 0x0140D093, 6, 439264, 0, 0},
      {"XC3S200", 0x01414093, 6, 1047616, 0, 0},
      {"XC3S400", 0x0141C093, 6, 1699136, 0, 0},
      {"XC3S1000", 0x01428093, 6, 3223488, 0, 0},
      {"XC3S1500", 0x01434093, 6, 5214784, 0, 0},
      {"XC3S2000", 0x01440093, 6, 7673024, 0, 0},
      {"XC3S4000", 0x01448093, 6, 11316864, 0, 0},
      {"XC3S5000", 0x01450093, 6, 13271936, 0, 0},
      {"XCF01S", 0xF5044093, 8, 0, 1u << 17, 256},  // 1 Mbit
      {"XCF02S", 0xF5045093, 8, 0, 1u << 18, 512},  // 2 Mbit
      {"XCF04S", 0xF5046093, 8, 0, 1u << 19, 512},  // 4 Mbit
  };
  ASSERT_EQ(static_cast<size_t>(std::distance(Parts().begin(), Parts().end())),
            std::size(cited));
  for (const Cited& c : cited) {
    SCOPED_TRACE(c.name);
    const Part* part = FindPart(c.idcode ^ 0x30000000);  // any silicon revision
    ASSERT_NE(part, nullptr);
    EXPECT_STREQ(part->name, c.name);
    EXPECT_EQ(part->idcode & IDCODE_PART_MASK, c.idcode & IDCODE_PART_MASK);
    EXPECT_EQ(part->irLength, c.irLength);
    if (c.configBits != 0) {
      EXPECT_EQ(part->family, PartFamily::Fpga);
      EXPECT_EQ(part->configBits, c.configBits);
      EXPECT_EQ(part->bitstreamIdcode, c.idcode);
      EXPECT_EQ(part->statusText, "Download FPGA " + std::string(c.name));
    } else {
      EXPECT_EQ(part->family, PartFamily::Prom);
      EXPECT_EQ(PromCapacity(*part), c.capacity);
      EXPECT_EQ(part->blockBytes, c.blockBytes);
      EXPECT_STREQ(part->statusText, "Download PROM");
      EXPECT_EQ(&PromFor(part), part);
    }
  }
  // A download into a chain that named no PROM lays its blocks out for the XCF02S.
  EXPECT_STREQ(PromFor(nullptr).name, "XCF02S");
  EXPECT_STREQ(PromFor(FindPart(IDCODE_XC3S1000)).name, "XCF02S");
}

TEST(PartFits, TellsEachFpgaFromTheNamesAroundIt) {
  struct Case {
    const char* header;
    std::vector<std::string> fits;  // the FPGAs the design is taken for
  };
  const std::vector<std::string> every = {"XC3S50",   "XC3S200",  "XC3S400",  "XC3S1000",
                                          "XC3S1500", "XC3S2000", "XC3S4000", "XC3S5000"};
  const Case cases[] = {
      {"3s50tq144", {"XC3S50"}},       {"xc3s50pq208", {"XC3S50"}},
      {"3s50a", {}},                   {"3s500e", {}},
      {"3s200ft256", {"XC3S200"}},     {"3s200a", {}},
      {"3s2000fg676", {"XC3S2000"}},   {"3s400", {"XC3S400"}},
      {"3s4000fg900", {"XC3S4000"}},   {"3s1000ft256", {"XC3S1000"}},
      {"3s100e", {}},                  {"3s1500fg456", {"XC3S1500"}},
      {"XC3S5000FG900", {"XC3S5000"}}, {"", every},
  };
  for (const Case& c : cases) {
    std::vector<std::string> fits;
    for (const Part& part : Parts()) {
      if (part.family == PartFamily::Fpga && PartFits(c.header, part)) fits.push_back(part.name);
    }
    EXPECT_EQ(fits, c.fits) << c.header;
  }
}

}  // namespace
}  // namespace torvane
