// Intel HEX text, the form PROM files (.mcs) come in: records of a length, an address, a
// type, data and a checksum, one a line. Reads records 00 (data), 01 (end) and 04 (upper
// 16 address bits) into a flat image, and writes an image back as such records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

enum class HexProblem {
  None,
  NoRecordMark,     // a line that does not start with ':'
  NotHex,           // a character that is not a hex digit (value: its column, 1-based)
  OddDigits,        // an odd number of hex digits
  LengthMismatch,   // the length field does not match the digits (value: the field)
  BadChecksum,      // the record's bytes do not sum to 0 (value: the checksum it needs)
  UnknownType,      // a record type other than 00, 01 and 04 (value: the type)
  BadAddressRecord, // an 04 record that does not hold two bytes
  BadEndRecord,     // an 01 record that holds data
  Overlap,          // data over bytes an earlier record wrote (value: the address)
  BeyondCapacity,   // data at or past the capacity (value: the address)
  RecordAfterEnd,   // a record after the end record
  MissingEnd,       // no end record (the line is the one after the last)
};

struct HexError {
  HexProblem problem = HexProblem::None;
  size_t line = 0;     // 1-based; LF, CRLF or a mixture end the lines
  uint64_t value = 0;  // what the problem names, as noted beside it
};

// Reads `size` bytes of text into `image`: every byte at its address, gaps 0xFF, up to
// the last data byte. No byte may lie at or past `capacity`, nor be written twice; blank
// lines are skipped. On an error `image` is left empty.
HexError ParseIntelHex(const uint8_t* text, size_t size, size_t capacity,
                       std::vector<uint8_t>* image);

// "line 12: bad checksum (the record needs 3B)"; `capacity` as given to the reader.
std::string DescribeHexError(const HexError& error, size_t capacity);

// `size` bytes as records of 16 data bytes from address 0, an 04 record first and at
// each 64 KiB, upper-case hex, LF line ends, the end record last.
std::string FormatIntelHex(const uint8_t* bytes, size_t size);

}  // namespace torvane
