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

#include <sys/stat.h>

namespace torvane {
namespace {

constexpr size_t PREAMBLE_SIZE = 13;
constexpr char FIELD_KEYS[] = {'a', 'b', 'c', 'd'};
constexpr char DATA_KEY = 'e';

uint64_t Remaining(const BitFile& file) {
  return file.position < file.totalSize ? file.totalSize - file.position : 0;
}

bool ReadExact(BitFile& file, uint8_t* out, size_t count) {
  size_t got = std::fread(out, 1, count, file.stream);
  file.position += got;
  return got == count;
}

// Fields a to d are at most 65,535 bytes, so the seek offset always fits a long.
bool SkipBytes(BitFile& file, uint64_t count) {
  if (count > Remaining(file)) {
    return false;
  }
  if (std::fseek(file.stream, static_cast<long>(count), SEEK_CUR) != 0) {
    return false;
  }
  file.position += count;
  return true;
}

bool ReadKey(BitFile& file, char expected) {
  uint8_t key = 0;
  return ReadExact(file, &key, 1) && key == static_cast<uint8_t>(expected);
}

bool ParseHeader(BitFile& file) {
  uint8_t preamble[PREAMBLE_SIZE] = {};
  if (!ReadExact(file, preamble, PREAMBLE_SIZE) || preamble[0] != 0x00 || preamble[1] != 0x09) {
    return false;
  }
  for (char key : FIELD_KEYS) {
    if (!ReadKey(file, key) || !SkipHeaderField(file)) {
      return false;
    }
  }
  uint8_t length[4] = {};
  if (!ReadKey(file, DATA_KEY) || !ReadExact(file, length, sizeof length)) {
    return false;
  }
  uint32_t declared = (uint32_t{length[0]} << 24) | (uint32_t{length[1]} << 16) |
                      (uint32_t{length[2]} << 8) | uint32_t{length[3]};
  if (declared > Remaining(file)) {
    return false;
  }
  file.declaredLength = declared;
  file.dataOffset = file.position;
  return true;
}

}  // namespace

bool OpenBitFile(const char* path, DialogHost& host, BitFile* file) {
  *file = BitFile{};
  // Checked before opening as well as after: opening a pipe for reading waits for a writer.
  struct stat info {};
  if (path == nullptr || path[0] == '\0' || stat(path, &info) != 0 || !S_ISREG(info.st_mode)) {
    host.ShowError(MessageOwner::Dialog, TEXT_FILE_NOT_FOUND);
    return false;
  }
  std::FILE* stream = std::fopen(path, "rb");
  if (stream == nullptr) {
    host.ShowError(MessageOwner::Dialog, TEXT_FILE_NOT_FOUND);
    return false;
  }
  // The path may have been replaced between the two calls; trust only the open stream.
  if (fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    std::fclose(stream);
    host.ShowError(MessageOwner::Dialog, TEXT_FILE_NOT_FOUND);
    return false;
  }
  file->stream = stream;
  file->totalSize = static_cast<uint64_t>(info.st_size);
  return true;
}

bool SkipBitHeader(BitFile& file, DialogHost& host) {
  if (file.stream == nullptr || !ParseHeader(file)) {
    host.ShowError(MessageOwner::None, TEXT_WRONG_FILE_FORMAT);
    return false;
  }
  return true;
}

bool SkipHeaderField(BitFile& file) {
  uint8_t length[2] = {};
  if (!ReadExact(file, length, sizeof length)) {
    return false;
  }
  return SkipBytes(file, (uint64_t{length[0]} << 8) | length[1]);
}

uint64_t DataLength(const BitFile& file) {
  return file.totalSize > file.dataOffset ? file.totalSize - file.dataOffset : 0;
}

size_t ReadDataChunk(BitFile& file, uint8_t* out, size_t max) {
  if (file.stream == nullptr || file.atEnd) {
    file.atEnd = true;
    return 0;
  }
  // A short count means a read met end-of-file or failed, just as a byte-by-byte loop
  // would notice it; a chunk that ends exactly at end-of-file does not. The file ends
  // where it ended when it was opened: one that keeps growing must not keep a download
  // going for ever, and one that shrank has lost data the device was meant to get.
  uint64_t left = file.totalSize > file.position ? file.totalSize - file.position : 0;
  size_t wanted = left < max ? static_cast<size_t>(left) : max;
  size_t got = std::fread(out, 1, wanted, file.stream);
  file.position += got;
  if (got < wanted) {
    file.cutShort = true;
  }
  if (got < max) {
    file.atEnd = true;
  }
  return got;
}

bool AtEndOfData(const BitFile& file) {
  return file.atEnd;
}

uint64_t CurrentOffset(const BitFile& file) {
  return file.position;
}

void CloseBitFile(BitFile& file) {
  if (file.stream != nullptr) {
    std::fclose(file.stream);
    file.stream = nullptr;
  }
}

}  // namespace torvane
