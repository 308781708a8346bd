#include "bitfile/bit_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"

namespace torvane {
namespace {

using testing::ScratchDir;

struct HeaderLayout {
  size_t fieldLengths[4];  // fields a to d
  uint32_t declaredLength;  // field e
};

void PutBigEndian(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}

std::vector<uint8_t> Preamble() {
  return {0x00, 0x09, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x00, 0x00, 0x01};
}

void PutField(std::vector<uint8_t>& out, char key, size_t length) {
  out.push_back(static_cast<uint8_t>(key));
  PutBigEndian(out, length, 2);
  out.insert(out.end(), length, static_cast<uint8_t>('x'));
}

std::vector<uint8_t> Header(const HeaderLayout& layout) {
  std::vector<uint8_t> out = Preamble();
  const char keys[] = {'a', 'b', 'c', 'd'};
  for (int i = 0; i < 4; ++i) {
    PutField(out, keys[i], layout.fieldLengths[i]);
  }
  out.push_back('e');
  PutBigEndian(out, layout.declaredLength, 4);
  return out;
}

// Data whose bytes differ from their neighbours, so an offset error shows.
std::vector<uint8_t> Data(size_t size) {
  std::vector<uint8_t> data(size);
  for (size_t i = 0; i < size; ++i) {
    data[i] = static_cast<uint8_t>((i * 7 + 3) ^ (i >> 8));
  }
  return data;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct AcceptedCase {
  const char* name;
  HeaderLayout header;
  size_t dataSize;
};

void PrintTo(const AcceptedCase& c, std::ostream* os) { *os << c.name; }

class AcceptedHeader : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedHeader, SplitsHeaderAndDataAtTheFirstDataByte) {
  const AcceptedCase& param = GetParam();
  ScratchDir dir;
  std::vector<uint8_t> header = Header(param.header);
  std::vector<uint8_t> data = Data(param.dataSize);
  std::string path = dir.Write("design.bit", Concat(header, data));

  BitFile file;
  ASSERT_EQ(LoadBitFile(path.c_str(), &file), BitFileError::None);
  EXPECT_EQ(file.dataOffset, header.size());
  EXPECT_EQ(file.declaredLength, param.header.declaredLength);
  EXPECT_EQ(file.data, data);
  EXPECT_EQ(TotalSize(file), header.size() + data.size());
  EXPECT_EQ(file.designName.size(), param.header.fieldLengths[0]);
  EXPECT_EQ(file.time.size(), param.header.fieldLengths[3]);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, AcceptedHeader,
    ::testing::Values(
        AcceptedCase{"Small", {{14, 11, 11, 9}, 1000}, 1000},
        AcceptedCase{"OneByte", {{14, 11, 11, 9}, 1}, 1},
        AcceptedCase{"Empty", {{14, 11, 11, 9}, 0}, 0},
        AcceptedCase{"ExactChunks", {{14, 11, 11, 9}, 1024}, 1024},
        AcceptedCase{"UpperHalfOne", {{14, 11, 11, 9}, 70000}, 70000},
        AcceptedCase{"UpperHalfThree", {{14, 11, 11, 9}, 212392}, 212392},
        AcceptedCase{"EmptyFields", {{0, 0, 0, 0}, 300}, 300},
        AcceptedCase{"LongFields", {{65535, 300, 11, 9}, 600}, 600},
        AcceptedCase{"DeclaredShorterThanRest", {{14, 11, 11, 9}, 10}, 600}),
    [](const ::testing::TestParamInfo<AcceptedCase>& info) { return info.param.name; });

struct RejectedCase {
  const char* name;
  std::vector<uint8_t> bytes;
};

const HeaderLayout TYPICAL = {{14, 11, 11, 9}, 64};

std::vector<uint8_t> TypicalFile() {
  return Concat(Header(TYPICAL), Data(TYPICAL.declaredLength));
}

std::vector<uint8_t> WithByte(std::vector<uint8_t> bytes, size_t index, uint8_t value) {
  bytes[index] = value;
  return bytes;
}

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

std::vector<uint8_t> KeysInOrder(const char* keys) {
  std::vector<uint8_t> out = Preamble();
  for (const char* key = keys; *key != '\0'; ++key) {
    PutField(out, *key, 5);
  }
  out.push_back('e');
  PutBigEndian(out, 8, 4);
  return Concat(out, Data(8));
}

std::vector<uint8_t> FieldPastEnd() {
  std::vector<uint8_t> out = Preamble();
  PutField(out, 'a', 4);
  out.push_back('b');
  PutBigEndian(out, 400, 2);
  return Concat(out, Data(100));
}

// The older 16-bit e length in front of data that does not carry it.
std::vector<uint8_t> SixteenBitDataLength() {
  std::vector<uint8_t> out = Preamble();
  for (char key : {'a', 'b', 'c', 'd'}) {
    PutField(out, key, 3);
  }
  out.push_back('e');
  PutBigEndian(out, 1000, 2);
  return Concat(out, Data(1000));
}

std::vector<uint8_t> Text(const char* text) {
  return std::vector<uint8_t>(text, text + std::char_traits<char>::length(text));
}

void PrintTo(const RejectedCase& c, std::ostream* os) { *os << c.name; }

class RejectedHeader : public ::testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedHeader, IsTheWrongFormat) {
  ScratchDir dir;
  std::string path = dir.Write("bad.bit", GetParam().bytes);
  BitFile file;
  EXPECT_EQ(LoadBitFile(path.c_str(), &file), BitFileError::WrongFormat);
  EXPECT_TRUE(file.data.empty());
  EXPECT_TRUE(file.designName.empty());
}

const size_t TYPICAL_HEADER = 13 + 3 * 4 + 14 + 11 + 11 + 9 + 5;

INSTANTIATE_TEST_SUITE_P(
    Malformed, RejectedHeader,
    ::testing::Values(
        RejectedCase{"PreambleByte0", WithByte(TypicalFile(), 0, 0x01)},
        RejectedCase{"PreambleByte1", WithByte(TypicalFile(), 1, 0x08)},
        RejectedCase{"MissingKey", KeysInOrder("abd")},
        RejectedCase{"MisplacedKey", KeysInOrder("abdc")},
        RejectedCase{"ExtraField", KeysInOrder("abcdd")},
        RejectedCase{"WrongFirstKey", WithByte(TypicalFile(), 13, 'A')},
        RejectedCase{"FieldLengthPastEnd", FieldPastEnd()},
        RejectedCase{"DataLengthPastEnd", Truncated(TypicalFile(), TYPICAL_HEADER + 63)},
        RejectedCase{"SixteenBitDataLength", SixteenBitDataLength()},
        RejectedCase{"EndsInDataLength", Truncated(TypicalFile(), TYPICAL_HEADER - 2)},
        RejectedCase{"EndsInField", Truncated(TypicalFile(), 20)},
        RejectedCase{"EndsAfterPreamble", Truncated(TypicalFile(), 13)},
        RejectedCase{"EndsInPreamble", Truncated(TypicalFile(), 5)},
        RejectedCase{"PlainText", Text("This is a plain text file, not a bitstream.\n")},
        RejectedCase{"Empty", {}}),
    [](const ::testing::TestParamInfo<RejectedCase>& info) { return info.param.name; });

TEST(LoadBitFile, PathsThatAreNotRegularFilesAreNotFound) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.Path("folder.bit"));
  const std::string paths[] = {dir.Path("missing.bit"), dir.Path("folder.bit"), ""};
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    BitFile file;
    EXPECT_EQ(LoadBitFile(path.c_str(), &file), BitFileError::NotFound);
  }
  BitFile file;
  EXPECT_EQ(LoadBitFile(nullptr, &file), BitFileError::NotFound);
}

// The limit holds for the data section, whatever the header's size.
TEST(LoadBitFile, DataOverTheLimitIsTooLarge) {
  ScratchDir dir;
  const HeaderLayout longFields = {{65535, 65535, 11, 9}, 64};
  for (size_t size : {size_t{MAX_DATA_BYTES}, size_t{MAX_DATA_BYTES + 1}}) {
    SCOPED_TRACE(size);
    std::string path = dir.Write("big.bit", Concat(Header(longFields), Data(size)));
    BitFile file;
    EXPECT_EQ(LoadBitFile(path.c_str(), &file),
              size > MAX_DATA_BYTES ? BitFileError::TooLarge : BitFileError::None);
    EXPECT_EQ(file.data.size(), size > MAX_DATA_BYTES ? 0 : size);
  }
}

// Fields a to d are texts up to their first NUL.
TEST(LoadBitFile, KeepsTheHeaderTexts) {
  ScratchDir dir;
  std::vector<uint8_t> bytes = Preamble();
  const std::string texts[] = {std::string("blinky.ncd;UserID=0xFFFFFFFF\0", 29),
                               std::string("3s200ft256\0", 11), "2026/12/08",
                               std::string("10:33:09\0junk", 13)};
  const char keys[] = {'a', 'b', 'c', 'd'};
  for (int i = 0; i < 4; ++i) {
    bytes.push_back(static_cast<uint8_t>(keys[i]));
    PutBigEndian(bytes, texts[i].size(), 2);
    bytes.insert(bytes.end(), texts[i].begin(), texts[i].end());
  }
  bytes.push_back('e');
  PutBigEndian(bytes, 4, 4);
  bytes = Concat(bytes, Data(4));
  std::string path = dir.Write("named.bit", bytes);

  BitFile file;
  ASSERT_EQ(LoadBitFile(path.c_str(), &file), BitFileError::None);
  EXPECT_EQ(file.designName, "blinky.ncd;UserID=0xFFFFFFFF");
  EXPECT_EQ(file.partName, "3s200ft256");
  EXPECT_EQ(file.date, "2026/12/08");
  EXPECT_EQ(file.time, "10:33:09");
  EXPECT_EQ(file.data, Data(4));
}

}  // namespace
}  // namespace torvane
