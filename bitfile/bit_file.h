// The ".bit" file reader: opens the file, checks its header of tagged fields and takes the
// whole configuration data into memory at once, so a download sends the file exactly as it
// was when it was loaded, whatever happens to the file afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bitfile/file_identity.h"

namespace torvane {

enum class BitFileError {
  None,
  NotFound,     // missing, not a regular file, or unreadable
  WrongFormat,  // the header does not parse
  TooLarge,     // the data section is over MAX_DATA_BYTES
};

// Every supported device takes at most 1,658,992 bytes (the XC3S5000's configuration);
// anything far beyond that is not a design for these boards, and a limit keeps the
// snapshot small.
constexpr uint64_t MAX_DATA_BYTES = 4u << 20;

struct BitFile {
  // Fields a to d, each up to its first NUL.
  std::string designName;
  std::string partName;
  std::string date;
  std::string time;
  uint32_t declaredLength = 0;  // the data length written in field e
  uint64_t dataOffset = 0;      // where the data started in the file: the header's size
  std::vector<uint8_t> data;    // everything after the header, up to the end of the file
  FileIdentity identity;        // the file that was read
};

// Opens a regular file, checks its header and reads its data, then closes it; `file` holds
// everything a download needs. On an error `file` is left empty.
BitFileError LoadBitFile(const char* path, BitFile* file);

// The header check and split on bytes already in memory: `size` is the whole file.
BitFileError ParseBitFile(const uint8_t* bytes, size_t size, BitFile* file);

// The file's size when it was loaded, header included.
inline uint64_t TotalSize(const BitFile& file) { return file.dataOffset + file.data.size(); }

}  // namespace torvane
