#include "bitfile/bit_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "bitfile/bit_file_test_support.h"

namespace torvane {
namespace {

using testing::ExpectOneError;
using testing::RecordingHost;
using testing::ScratchDir;

constexpr size_t CHUNK = 512;

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

// Reads the data the way the download procedures do: chunks until end of data.
std::vector<uint8_t> ReadAll(BitFile& file, size_t* passes) {
  std::vector<uint8_t> all;
  uint8_t chunk[CHUNK];
  *passes = 0;
  while (!AtEndOfData(file)) {
    size_t got = ReadDataChunk(file, chunk, CHUNK);
    all.insert(all.end(), chunk, chunk + got);
    ++*passes;
  }
  return all;
}

struct AcceptedCase {
  const char* name;
  HeaderLayout header;
  size_t dataSize;
};

void PrintTo(const AcceptedCase& c, std::ostream* os) { *os << c.name; }

class AcceptedHeader : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedHeader, LandsOnFirstDataByteAndReadsToEndOfFile) {
  const AcceptedCase& param = GetParam();
  ScratchDir dir;
  std::vector<uint8_t> header = Header(param.header);
  std::vector<uint8_t> data = Data(param.dataSize);
  std::string path = dir.Write("design.bit", Concat(header, data));

  RecordingHost host;
  BitFile file;
  ASSERT_TRUE(OpenBitFile(path.c_str(), host, &file));
  ASSERT_TRUE(SkipBitHeader(file, host));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(file.totalSize, header.size() + data.size());
  EXPECT_EQ(file.dataOffset, header.size());
  EXPECT_EQ(CurrentOffset(file), header.size());
  EXPECT_EQ(file.declaredLength, param.header.declaredLength);
  EXPECT_EQ(DataLength(file), data.size());

  size_t passes = 0;
  std::vector<uint8_t> read = ReadAll(file, &passes);
  EXPECT_EQ(read, data);
  // End of file is noticed only by a read that comes up short: a data section that is
  // an exact multiple of the chunk ends with one empty pass.
  EXPECT_EQ(passes, data.size() / CHUNK + 1);
  EXPECT_EQ(CurrentOffset(file), file.totalSize);
  CloseBitFile(file);
  EXPECT_EQ(file.stream, nullptr);
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

TEST_P(RejectedHeader, ReportsWrongFormatOnce) {
  ScratchDir dir;
  std::string path = dir.Write("bad.bit", GetParam().bytes);
  RecordingHost host;
  BitFile file;
  ASSERT_TRUE(OpenBitFile(path.c_str(), host, &file));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(SkipBitHeader(file, host));
  ExpectOneError(host, TEXT_WRONG_FILE_FORMAT, MessageOwner::None);
  CloseBitFile(file);
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

TEST(OpenBitFile, ReportsPathsThatAreNotRegularFilesAsNotFound) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.Path("folder.bit"));
  const std::string paths[] = {dir.Path("missing.bit"), dir.Path("folder.bit"), ""};
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    RecordingHost host;
    BitFile file;
    EXPECT_FALSE(OpenBitFile(path.c_str(), host, &file));
    EXPECT_EQ(file.stream, nullptr);
    ExpectOneError(host, TEXT_FILE_NOT_FOUND, MessageOwner::Dialog);
  }
}

TEST(ReadDataChunk, ReadsWhatIsThereWhenTheFileGrowsOrShrinks) {
  ScratchDir dir;
  std::vector<uint8_t> header = Header(TYPICAL);
  std::string path = dir.Write("moving.bit", Concat(header, Data(TYPICAL.declaredLength)));
  RecordingHost host;
  BitFile file;
  ASSERT_TRUE(OpenBitFile(path.c_str(), host, &file));
  ASSERT_TRUE(SkipBitHeader(file, host));

  // Grows after it was opened: the data ends where the file ended then, so a file that
  // keeps growing cannot keep a download going.
  {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    std::vector<uint8_t> more(3000, 0x5A);
    out.write(reinterpret_cast<const char*>(more.data()), 3000);
  }
  size_t passes = 0;
  std::vector<uint8_t> grown = ReadAll(file, &passes);
  EXPECT_EQ(grown.size(), TYPICAL.declaredLength);
  EXPECT_FALSE(file.cutShort);
  CloseBitFile(file);

  // Shrinks in the middle of the data: reading stops at the new end.
  ASSERT_TRUE(OpenBitFile(path.c_str(), host, &file));
  ASSERT_TRUE(SkipBitHeader(file, host));
  uint8_t chunk[CHUNK];
  ASSERT_EQ(ReadDataChunk(file, chunk, CHUNK), CHUNK);
  std::filesystem::resize_file(path, header.size() + 100);
  std::vector<uint8_t> rest = ReadAll(file, &passes);
  EXPECT_TRUE(AtEndOfData(file));
  // What the stream had buffered still arrives; the file is cut short exactly when less
  // than the size it had at the start came through.
  EXPECT_LE(CHUNK + rest.size(), TYPICAL.declaredLength + 3000u);
  EXPECT_EQ(file.cutShort, CHUNK + rest.size() < TYPICAL.declaredLength + 3000u);
  EXPECT_EQ(ReadDataChunk(file, chunk, CHUNK), 0u);
  CloseBitFile(file);
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace torvane
