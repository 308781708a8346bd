// The ".bit" file reader: opens the file, checks and skips its header of tagged fields,
// and hands the configuration data to the download procedures in chunks, with the same
// end-of-file behaviour as reading the C stream one byte at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "procedures/dialog_host.h"

namespace torvane {

constexpr const char* TEXT_FILE_NOT_FOUND = "File not Found !";
constexpr const char* TEXT_WRONG_FILE_FORMAT = "Wrong file format!";

struct BitFile {
  std::FILE* stream = nullptr;
  uint64_t totalSize = 0;       // bytes in the file when it was opened
  uint64_t dataOffset = 0;      // where the configuration data starts, once the header is skipped
  uint32_t declaredLength = 0;  // the data length written in field e
  uint64_t position = 0;        // the current file offset, header included
  bool atEnd = false;           // a read has met end-of-file or a read error
  bool cutShort = false;        // the data ended before the size recorded at open
};

// Opens a regular file for binary reading and records its size. Anything else (missing,
// a directory, a device, a pipe) is reported as "File not Found !" to the dialog and
// leaves `file` closed.
bool OpenBitFile(const char* path, DialogHost& host, BitFile* file);

// Checks and skips the header, leaving the stream on the first data byte. A header that
// does not parse is reported once as "Wrong file format!" with no owner; the caller then
// stops before any adapter traffic.
bool SkipBitHeader(BitFile& file, DialogHost& host);

// Reads a 16-bit big-endian length and skips that many bytes. False when the length
// cannot be read or the field runs past the end of the file.
bool SkipHeaderField(BitFile& file);

// The data length the download procedures work with: the file size less the header.
uint64_t DataLength(const BitFile& file);

// Reads up to `max` data bytes into `out`. Fewer come back only when a read meets
// end-of-file or fails; from then on AtEndOfData is true and further calls return 0.
size_t ReadDataChunk(BitFile& file, uint8_t* out, size_t max);

bool AtEndOfData(const BitFile& file);
uint64_t CurrentOffset(const BitFile& file);

// Closes the stream; safe on a file that is already closed.
void CloseBitFile(BitFile& file);

}  // namespace torvane
