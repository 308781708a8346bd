// One record, as its line holds it (two hex digits a byte):
//
// | Bytes | Content                                                              |
// |-------|----------------------------------------------------------------------|
// | 1     | ':' (a character, not a digit pair)                                  |
// | 1     | N, the number of data bytes                                          |
// | 2     | address, big-endian: the low 16 bits of the first data byte's address |
// | 1     | type: 00 data, 01 end of file, 04 upper 16 address bits (N = 2)      |
// | N     | data                                                                 |
// | 1     | checksum: every byte of the record, this one included, sums to 0     |
#include "bitfile/intel_hex.h"

#include <cstdio>
#include <cstring>

namespace torvane {
namespace {

constexpr uint8_t TYPE_DATA = 0x00;
constexpr uint8_t TYPE_END = 0x01;
constexpr uint8_t TYPE_UPPER_ADDRESS = 0x04;
constexpr size_t RECORD_FRAME_BYTES = 5;  // length, address, type, checksum
constexpr size_t BYTES_PER_RECORD = 16;
constexpr uint64_t SEGMENT_BYTES = 0x10000;
constexpr char DIGITS[] = "0123456789ABCDEF";

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

struct Record {
  uint8_t bytes[RECORD_FRAME_BYTES + 255];
  size_t count = 0;  // every byte of the record, checksum included
  uint8_t length() const { return bytes[0]; }
  uint16_t address() const { return static_cast<uint16_t>(bytes[1] << 8 | bytes[2]); }
  uint8_t type() const { return bytes[3]; }
  const uint8_t* data() const { return bytes + 4; }
};

// The record on one line, without its line end; the error's line is left to the caller.
HexError DecodeRecord(const uint8_t* line, size_t size, Record* record) {
  if (line[0] != ':') return {HexProblem::NoRecordMark, 0, 0};
  const size_t digits = size - 1;
  for (size_t i = 1; i < size; ++i) {
    if (HexValue(line[i]) < 0) return {HexProblem::NotHex, 0, i + 1};
  }
  if (digits % 2 != 0) return {HexProblem::OddDigits, 0, 0};
  const size_t count = digits / 2;
  const uint64_t declared = count >= 1 ? static_cast<uint64_t>(HexValue(line[1]) << 4 |
                                                               HexValue(line[2]))
                                       : 0;
  if (count < RECORD_FRAME_BYTES || count != declared + RECORD_FRAME_BYTES) {
    return {HexProblem::LengthMismatch, 0, declared};
  }
  uint8_t sum = 0;
  for (size_t i = 0; i < count; ++i) {
    record->bytes[i] = static_cast<uint8_t>(HexValue(line[1 + 2 * i]) << 4 |
                                            HexValue(line[2 + 2 * i]));
    sum = static_cast<uint8_t>(sum + record->bytes[i]);
  }
  record->count = count;
  if (sum != 0) {
    uint8_t needed = static_cast<uint8_t>(record->bytes[count - 1] - sum);
    return {HexProblem::BadChecksum, 0, needed};
  }
  return {};
}

// Places a data record's bytes; `filled` marks what earlier records wrote.
HexError PlaceData(const Record& record, uint64_t upper, size_t capacity,
                   std::vector<uint8_t>* image, std::vector<bool>* filled) {
  // No data, nothing placed: its address, however far, neither grows the image nor
  // counts against the capacity.
  if (record.length() == 0) return {};
  const uint64_t first = upper + record.address();
  const uint64_t end = first + record.length();
  for (uint64_t address = first; address < end; ++address) {
    if (address >= capacity) return {HexProblem::BeyondCapacity, 0, address};
    if (address < filled->size() && (*filled)[address]) return {HexProblem::Overlap, 0, address};
  }
  if (end > image->size()) {
    image->resize(end, 0xFF);
    filled->resize(end, false);
  }
  for (uint64_t i = 0; i < record.length(); ++i) {
    (*image)[first + i] = record.data()[i];
    (*filled)[first + i] = true;
  }
  return {};
}

HexError ApplyRecord(const Record& record, size_t capacity, uint64_t* upper, bool* ended,
                     std::vector<uint8_t>* image, std::vector<bool>* filled) {
  switch (record.type()) {
    case TYPE_DATA:
      return PlaceData(record, *upper, capacity, image, filled);
    case TYPE_END:
      if (record.length() != 0) return {HexProblem::BadEndRecord, 0, 0};
      *ended = true;
      return {};
    case TYPE_UPPER_ADDRESS:
      if (record.length() != 2) return {HexProblem::BadAddressRecord, 0, 0};
      *upper = static_cast<uint64_t>(record.data()[0] << 8 | record.data()[1]) << 16;
      return {};
    default:
      return {HexProblem::UnknownType, 0, record.type()};
  }
}

void PutByte(std::string& out, uint8_t byte, uint8_t* sum) {
  out.push_back(DIGITS[byte >> 4]);
  out.push_back(DIGITS[byte & 0x0F]);
  *sum = static_cast<uint8_t>(*sum + byte);
}

void PutRecord(std::string& out, uint16_t address, uint8_t type, const uint8_t* data,
               size_t count) {
  uint8_t sum = 0;
  out.push_back(':');
  PutByte(out, static_cast<uint8_t>(count), &sum);
  PutByte(out, static_cast<uint8_t>(address >> 8), &sum);
  PutByte(out, static_cast<uint8_t>(address), &sum);
  PutByte(out, type, &sum);
  for (size_t i = 0; i < count; ++i) PutByte(out, data[i], &sum);
  uint8_t unused = 0;
  PutByte(out, static_cast<uint8_t>(-sum), &unused);
  out.push_back('\n');
}

}  // namespace

HexError ParseIntelHex(const uint8_t* text, size_t size, size_t capacity,
                       std::vector<uint8_t>* image) {
  image->clear();
  std::vector<bool> filled;
  uint64_t upper = 0;
  bool ended = false;
  size_t line = 0;
  for (size_t at = 0; at < size;) {
    ++line;
    const void* newline = std::memchr(text + at, '\n', size - at);
    size_t end = newline ? static_cast<size_t>(static_cast<const uint8_t*>(newline) - text) : size;
    size_t stop = end > at && text[end - 1] == '\r' ? end - 1 : end;
    size_t start = at;
    at = end + 1;
    if (stop == start) continue;  // a blank line
    HexError error;
    Record record;
    if (ended) {
      error = {HexProblem::RecordAfterEnd, 0, 0};
    } else {
      error = DecodeRecord(text + start, stop - start, &record);
      if (error.problem == HexProblem::None) {
        error = ApplyRecord(record, capacity, &upper, &ended, image, &filled);
      }
    }
    if (error.problem != HexProblem::None) {
      image->clear();
      error.line = line;
      return error;
    }
  }
  if (!ended) {
    image->clear();
    return {HexProblem::MissingEnd, line + 1, 0};
  }
  return {};
}

std::string DescribeHexError(const HexError& error, size_t capacity) {
  const std::string value = std::to_string(error.value);
  char hex[24];
  std::snprintf(hex, sizeof hex, "%02llX", static_cast<unsigned long long>(error.value));
  std::string what;
  switch (error.problem) {
    case HexProblem::None:
      return std::string();
    case HexProblem::NoRecordMark:
      what = "a record must start with ':'";
      break;
    case HexProblem::NotHex:
      what = "a character that is not a hex digit, at column " + value;
      break;
    case HexProblem::OddDigits:
      what = "an odd number of hex digits";
      break;
    case HexProblem::LengthMismatch:
      what = "the length field (" + value + " data bytes) does not match the line";
      break;
    case HexProblem::BadChecksum:
      what = std::string("bad checksum (the record needs ") + hex + ")";
      break;
    case HexProblem::UnknownType:
      what = std::string("record type ") + hex + " (only 00, 01 and 04 are read)";
      break;
    case HexProblem::BadAddressRecord:
      what = "an address record (04) must hold two bytes";
      break;
    case HexProblem::BadEndRecord:
      what = "the end record (01) must hold no data";
      break;
    case HexProblem::Overlap:
      what = "data at address " + value + " overlaps earlier data";
      break;
    case HexProblem::BeyondCapacity:
      what = "data at address " + value + " lies beyond the " + std::to_string(capacity) +
             " bytes the PROM holds";
      break;
    case HexProblem::RecordAfterEnd:
      what = "a record after the end record";
      break;
    case HexProblem::MissingEnd:
      what = "the end record (:00000001FF) is missing";
      break;
  }
  return "line " + std::to_string(error.line) + ": " + what;
}

std::string FormatIntelHex(const uint8_t* bytes, size_t size) {
  std::string out;
  // 16 bytes take 43 characters as a record; an 04 record every 4096 of them.
  out.reserve(size / BYTES_PER_RECORD * 44 + 64);
  for (uint64_t at = 0;; at += BYTES_PER_RECORD) {
    if (at % SEGMENT_BYTES == 0 && (at < size || at == 0)) {
      const uint8_t upper[2] = {static_cast<uint8_t>(at >> 24), static_cast<uint8_t>(at >> 16)};
      PutRecord(out, 0, TYPE_UPPER_ADDRESS, upper, 2);
    }
    if (at >= size) break;
    size_t count = size - at < BYTES_PER_RECORD ? size - at : BYTES_PER_RECORD;
    PutRecord(out, static_cast<uint16_t>(at), TYPE_DATA, bytes + at, count);
  }
  PutRecord(out, 0, TYPE_END, nullptr, 0);
  return out;
}

}  // namespace torvane
