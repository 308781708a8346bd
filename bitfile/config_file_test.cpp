#include "bitfile/config_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bitfile/intel_hex.h"
#include "tools/make_bitstream.h"

namespace torvane {
namespace {

constexpr size_t PROM_BYTES = 262144;

HexError Parse(const std::string& text, size_t capacity, std::vector<uint8_t>* image) {
  return ParseIntelHex(reinterpret_cast<const uint8_t*>(text.data()), text.size(), capacity,
                       image);
}

TEST(IntelHex, EachMalformedInputIsRefusedNamingItsLine) {
  struct Case {
    const char* name;
    std::string text;
    HexProblem problem;
    size_t line;
    uint64_t value;
    const char* says;  // part of the description
  };
  const std::string end = ":00000001FF\n";
  const Case cases[] = {
      {"checksum", ":0100000000FF\n:01000100AA55\n" + end, HexProblem::BadChecksum, 2, 0x54,
       "line 2: bad checksum (the record needs 54)"},
      {"type 02", ":020000021000EC\n" + end, HexProblem::UnknownType, 1, 2, "record type 02"},
      {"type 03 after CRLF lines", ":0100000000FF\r\n\r\n:0400000300001000E9\r\n" + end,
       HexProblem::UnknownType, 3, 3, "line 3: record type 03"},
      {"not hex", ":01000000G0EF\n" + end, HexProblem::NotHex, 1, 10, "column 10"},
      {"odd digits", ":0100000000F\n" + end, HexProblem::OddDigits, 1, 0, "odd number"},
      {"length longer than line", ":0200000011EE\n" + end, HexProblem::LengthMismatch, 1, 2,
       "length field (2 data bytes)"},
      {"length shorter than line", ":01000000AABB99\n" + end, HexProblem::LengthMismatch, 1, 1,
       "does not match"},
      {"too short for a record", ":00\n" + end, HexProblem::LengthMismatch, 1, 0, "line 1"},
      {"no record mark", "0100000000FF\n" + end, HexProblem::NoRecordMark, 1, 0, "':'"},
      {"no end record", ":0100000000FF\n", HexProblem::MissingEnd, 2, 0, "line 2: the end"},
      {"no end, last line open", ":0100000000FF", HexProblem::MissingEnd, 2, 0, "line 2"},
      {"overlap", ":0100000000FF\n:0100010055A9\n:01000000AA55\n" + end, HexProblem::Overlap, 3,
       0, "address 0 overlaps"},
      {"beyond the PROM", ":020000040004F6\n:0100000011EE\n" + end,
       HexProblem::BeyondCapacity, 2, 0x40000, "address 262144 lies beyond the 262144 bytes"},
      {"record after the end", end + ":0100000000FF\n", HexProblem::RecordAfterEnd, 2, 0,
       "after the end"},
      {"end record with data", ":01000001AA54\n", HexProblem::BadEndRecord, 1, 0, "no data"},
      {"address record of four bytes", ":0400000400100000E8\n" + end, HexProblem::BadAddressRecord,
       1, 0, "two bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> image = {1, 2, 3};
    HexError error = Parse(c.text, PROM_BYTES, &image);
    EXPECT_EQ(error.problem, c.problem);
    EXPECT_EQ(error.line, c.line);
    EXPECT_EQ(error.value, c.value);
    EXPECT_TRUE(image.empty());
    std::string text = DescribeHexError(error, PROM_BYTES);
    EXPECT_EQ(text.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << text;
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
  }
}

TEST(IntelHex, ReadsAnyLineEndsWithGapsAsErasedBytesUpToTheLastDataByte) {
  // Records out of order, in two 64 KiB segments, lower-case digits and a blank line.
  const std::string text =
      ":020000040001F9\r\n:010010007778\n\n:020000040000fa\r\n"
      ":01000000aa55\n:00000001FF";
  std::vector<uint8_t> image;
  HexError error = Parse(text, PROM_BYTES, &image);
  ASSERT_EQ(error.problem, HexProblem::None) << DescribeHexError(error, PROM_BYTES);
  ASSERT_EQ(image.size(), 0x10011u);
  EXPECT_EQ(image[0], 0xAA);
  EXPECT_EQ(image[0x10010], 0x77);
  EXPECT_EQ(std::count(image.begin(), image.end(), 0xFF), 0x10011 - 2);

  // Only an end record: an empty image. The last byte the capacity allows is taken.
  EXPECT_EQ(Parse(":00000001FF\n", PROM_BYTES, &image).problem, HexProblem::None);
  EXPECT_TRUE(image.empty());
  EXPECT_EQ(Parse(":0100000011EE\n:00000001FF\n", 1, &image).problem, HexProblem::None);
  EXPECT_EQ(image, std::vector<uint8_t>{0x11});
  // A data record with no data places nothing, even at an address far past the PROM.
  EXPECT_EQ(Parse(":0100000011EE\n:02000004ABCD82\n:00000100FF\n:00000001FF\n", PROM_BYTES,
                  &image)
                .problem,
            HexProblem::None);
  EXPECT_EQ(image, std::vector<uint8_t>{0x11});

  // The writer's records read back to the same bytes, past a 64 KiB boundary.
  std::vector<uint8_t> bytes(0x10000 + 20);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  std::string written = FormatIntelHex(bytes.data(), bytes.size());
  EXPECT_EQ(written.rfind(":020000040000FA\n:10000000", 0), 0u);
  EXPECT_NE(written.find("\n:020000040001F9\n:10000000"), std::string::npos);
  EXPECT_EQ(written.substr(written.size() - 12), ":00000001FF\n");
  EXPECT_EQ(Parse(written, PROM_BYTES, &image).problem, HexProblem::None);
  EXPECT_EQ(image, bytes);
}

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// The same design in every form the loader takes: each gives the .bit's data back in the
// .bit's order with the IDCODE its stream writes.
TEST(ConfigFile, FormatAndByteOrderComeFromTheContent) {
  BitstreamOptions options;
  options.part = BitPart::Xc3s400;
  options.dataSize = 4096;
  const std::vector<uint8_t> bitFile = MakeBitFile(options);
  BitFile bit;
  ASSERT_EQ(ParseBitFile(bitFile.data(), bitFile.size(), &bit), BitFileError::None);
  std::vector<uint8_t> reversed = bit.data;
  ReverseEachByte(reversed.data(), reversed.size());

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    ConfigFormat format;
    ByteOrder order;
  };
  const Case cases[] = {
      {".bit", bitFile, ConfigFormat::Bit, ByteOrder::AsBit},
      {"vendor PROM file", Bytes(FormatPromFile(bit.data.data(), bit.data.size())),
       ConfigFormat::IntelHex, ByteOrder::Reversed},
      {"Intel HEX in the .bit's order",
       Bytes(FormatIntelHex(bit.data.data(), bit.data.size())), ConfigFormat::IntelHex,
       ByteOrder::AsBit},
      {"raw", bit.data, ConfigFormat::Raw, ByteOrder::AsBit},
      {"raw bit-reversed", reversed, ConfigFormat::Raw, ByteOrder::Reversed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigFile file;
    std::string why;
    ASSERT_EQ(ParseConfigFile(c.bytes.data(), c.bytes.size(), PROM_BYTES, &file, &why),
              ConfigFileError::None)
        << why;
    EXPECT_EQ(file.format, c.format);
    EXPECT_EQ(file.order, c.order);
    EXPECT_EQ(file.bit.data, bit.data);
    EXPECT_TRUE(file.hasIdcode);
    EXPECT_EQ(file.idcode, PartIdcode(BitPart::Xc3s400));
    EXPECT_EQ(file.bit.partName, c.format == ConfigFormat::Bit ? "3s400ft256" : "");
  }

  // A .bit of noise is still sent as before; noise in any other form is refused.
  options.rawBody = true;
  const std::vector<uint8_t> noiseBit = MakeBitFile(options);
  ConfigFile file;
  std::string why;
  ASSERT_EQ(ParseConfigFile(noiseBit.data(), noiseBit.size(), PROM_BYTES, &file, &why),
            ConfigFileError::None);
  EXPECT_EQ(file.order, ByteOrder::None);
  EXPECT_FALSE(file.hasIdcode);
  ASSERT_TRUE(ParseBitFile(noiseBit.data(), noiseBit.size(), &bit) == BitFileError::None);
  EXPECT_EQ(file.bit.data, bit.data);
  std::vector<uint8_t> noiseHex = Bytes(FormatIntelHex(bit.data.data(), bit.data.size()));
  for (const std::vector<uint8_t>* noise : {&bit.data, &noiseHex}) {
    EXPECT_EQ(ParseConfigFile(noise->data(), noise->size(), PROM_BYTES, &file, &why),
              ConfigFileError::NoSyncWord);
    EXPECT_NE(why.find("no sync word"), std::string::npos);
    EXPECT_TRUE(file.bit.data.empty());
  }
  // A bad record is refused with its line; a .bit header that does not parse as before.
  std::vector<uint8_t> badHex = Bytes(":0100000000FF\n:0100000000FF\n:00000001FF\n");
  EXPECT_EQ(ParseConfigFile(badHex.data(), badHex.size(), PROM_BYTES, &file, &why),
            ConfigFileError::BadRecord);
  EXPECT_EQ(why, "line 2: data at address 0 overlaps earlier data");
  options.defect = BitDefect::MissingKey;
  const std::vector<uint8_t> badBit = MakeBitFile(options);
  EXPECT_EQ(ParseConfigFile(badBit.data(), badBit.size(), PROM_BYTES, &file, &why),
            ConfigFileError::WrongFormat);
}

}  // namespace
}  // namespace torvane
