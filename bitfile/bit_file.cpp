// The ".bit" header, as this reader checks it (all lengths big-endian, unsigned):
//
// | Bytes  | Content                                   | Check                          |
// |--------|-------------------------------------------|--------------------------------|
// | 13     | preamble                                  | bytes 0 and 1 are 00 09        |
// | 1      | key 'a' (0x61)                            | must be there, in this order   |
// | 2 + N  | 16-bit N, then N bytes (design name)      | must end inside the file       |
// | 1+2+N  | key 'b', part name (same form)            | as for 'a'                     |
// | 1+2+N  | key 'c', date (same form)                 | as for 'a'                     |
// | 1+2+N  | key 'd', time (same form)                 | as for 'a'                     |
// | 1      | key 'e' (0x65)                            | must be there                  |
// | 4      | 32-bit data length L                      | L must fit in the rest         |
// | rest   | configuration data, up to end of file     | a longer rest is still sent    |
//
// The data follows the length of field e directly. The download sends everything up to
// end of file, so a length shorter than the rest is tolerated.
#include "bitfile/bit_file.h"

#include <cstring>
#include <utility>

#include "bitfile/whole_file.h"

namespace torvane {
namespace {

constexpr size_t PREAMBLE_SIZE = 13;
constexpr char DATA_KEY = 'e';
constexpr uint64_t MAX_FIELD_BYTES = 1 + 2 + 0xFFFF;
constexpr uint64_t MAX_HEADER_BYTES = PREAMBLE_SIZE + 4 * MAX_FIELD_BYTES + 1 + 4;
// No file past this can hold an acceptable data section, whatever its header says.
constexpr uint64_t MAX_FILE_BYTES = MAX_HEADER_BYTES + MAX_DATA_BYTES;

// Reads the header bytes in order; every read is checked against the end of the file.
class Cursor {
 public:
  Cursor(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  const uint8_t* Take(size_t count) {
    if (count > size_ - at_) return nullptr;
    const uint8_t* taken = bytes_ + at_;
    at_ += count;
    return taken;
  }
  bool Key(char expected) {
    const uint8_t* key = Take(1);
    return key != nullptr && *key == static_cast<uint8_t>(expected);
  }
  bool BigEndian(int bytes, uint32_t* value) {
    const uint8_t* raw = Take(static_cast<size_t>(bytes));
    if (raw == nullptr) return false;
    *value = 0;
    for (int i = 0; i < bytes; ++i) *value = (*value << 8) | raw[i];
    return true;
  }
  size_t at() const { return at_; }
  size_t left() const { return size_ - at_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t at_ = 0;
};

// A field of a 16-bit length and that many bytes; its text ends at its first NUL.
bool ReadField(Cursor& cursor, char key, std::string* text) {
  uint32_t length = 0;
  if (!cursor.Key(key) || !cursor.BigEndian(2, &length)) return false;
  const uint8_t* bytes = cursor.Take(length);
  if (bytes == nullptr) return false;
  const void* nul = std::memchr(bytes, 0, length);
  size_t used = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes) : length;
  text->assign(reinterpret_cast<const char*>(bytes), used);
  return true;
}

// Everything but the data itself.
BitFileError ParseHeader(const uint8_t* bytes, size_t size, BitFile* file) {
  Cursor cursor(bytes, size);
  const uint8_t* preamble = cursor.Take(PREAMBLE_SIZE);
  if (preamble == nullptr || preamble[0] != 0x00 || preamble[1] != 0x09) {
    return BitFileError::WrongFormat;
  }
  if (!ReadField(cursor, 'a', &file->designName) || !ReadField(cursor, 'b', &file->partName) ||
      !ReadField(cursor, 'c', &file->date) || !ReadField(cursor, 'd', &file->time)) {
    return BitFileError::WrongFormat;
  }
  uint32_t declared = 0;
  if (!cursor.Key(DATA_KEY) || !cursor.BigEndian(4, &declared) || declared > cursor.left()) {
    return BitFileError::WrongFormat;
  }
  if (cursor.left() > MAX_DATA_BYTES) return BitFileError::TooLarge;
  file->declaredLength = declared;
  file->dataOffset = cursor.at();
  return BitFileError::None;
}

}  // namespace

BitFileError ParseBitFile(const uint8_t* bytes, size_t size, BitFile* file) {
  *file = BitFile{};
  BitFileError error = ParseHeader(bytes, size, file);
  if (error != BitFileError::None) {
    *file = BitFile{};
    return error;
  }
  file->data.assign(bytes + file->dataOffset, bytes + size);
  return BitFileError::None;
}

BitFileError LoadBitFile(const char* path, BitFile* file) {
  *file = BitFile{};
  std::vector<uint8_t> bytes;
  FileIdentity identity;
  switch (ReadWholeFile(path, MAX_FILE_BYTES, &bytes, &identity)) {
    case WholeFileError::None:
      break;
    case WholeFileError::NotFound:
      return BitFileError::NotFound;
    case WholeFileError::TooLarge:
      return BitFileError::TooLarge;
  }
  BitFileError error = ParseHeader(bytes.data(), bytes.size(), file);
  if (error != BitFileError::None) {
    *file = BitFile{};
    return error;
  }
  bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(file->dataOffset));
  file->data = std::move(bytes);
  file->identity = identity;
  return BitFileError::None;
}

}  // namespace torvane
