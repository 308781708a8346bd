#include "bitfile/config_file.h"

#include <utility>
#include <vector>

#include "bitfile/intel_hex.h"
#include "bitfile/whole_file.h"

namespace torvane {
namespace {

// Intel HEX takes under three characters a byte; past this no file holds data a
// supported device could take, in any form.
constexpr uint64_t MAX_CONFIG_FILE_BYTES = 4 * MAX_DATA_BYTES;

std::string OverLimit(const char* what, uint64_t limit) {
  return std::string(what) + " is over " + std::to_string(limit) +
         " bytes: no supported device takes that much";
}

ConfigFormat FormatOf(const uint8_t* bytes, size_t size) {
  if (size >= 2 && bytes[0] == 0x00 && bytes[1] == 0x09) return ConfigFormat::Bit;
  size_t at = 0;
  while (at < size && (bytes[at] == '\r' || bytes[at] == '\n')) ++at;
  return at < size && bytes[at] == ':' ? ConfigFormat::IntelHex : ConfigFormat::Raw;
}

// The image of a PROM file or a raw file, turned to the .bit's order.
ConfigFileError TakeImage(std::vector<uint8_t> image, ConfigFile* file, std::string* why) {
  if (image.size() > MAX_DATA_BYTES) {
    *why = OverLimit("the data", MAX_DATA_BYTES);
    return ConfigFileError::TooLarge;
  }
  file->order = FindByteOrder(image.data(), image.size());
  if (file->order == ByteOrder::None) {
    *why = "no sync word (AA 99 55 66, or 55 99 AA 66 bit-reversed) in the first " +
           std::to_string(SYNC_SEARCH_BYTES) + " bytes: not configuration data";
    return ConfigFileError::NoSyncWord;
  }
  if (file->order == ByteOrder::Reversed) ReverseEachByte(image.data(), image.size());
  file->bit.declaredLength = static_cast<uint32_t>(image.size());
  file->bit.data = std::move(image);
  return ConfigFileError::None;
}

ConfigFileError ParseAny(const uint8_t* bytes, size_t size, size_t capacity, ConfigFile* file,
                         std::string* why) {
  file->format = FormatOf(bytes, size);
  switch (file->format) {
    case ConfigFormat::Bit: {
      // Exactly what the .bit reader gives, so a .bit sends the same bytes in every path.
      BitFileError error = ParseBitFile(bytes, size, &file->bit);
      if (error == BitFileError::TooLarge) {
        *why = OverLimit("the data section", MAX_DATA_BYTES);
        return ConfigFileError::TooLarge;
      }
      if (error != BitFileError::None) {
        *why = "the .bit header does not parse";
        return ConfigFileError::WrongFormat;
      }
      file->order = FindByteOrder(file->bit.data.data(), file->bit.data.size());
      return ConfigFileError::None;
    }
    case ConfigFormat::IntelHex: {
      std::vector<uint8_t> image;
      HexError error = ParseIntelHex(bytes, size, capacity, &image);
      if (error.problem != HexProblem::None) {
        *why = DescribeHexError(error, capacity);
        return ConfigFileError::BadRecord;
      }
      return TakeImage(std::move(image), file, why);
    }
    case ConfigFormat::Raw:
      return TakeImage(std::vector<uint8_t>(bytes, bytes + size), file, why);
  }
  return ConfigFileError::WrongFormat;
}

}  // namespace

ConfigFileError ParseConfigFile(const uint8_t* bytes, size_t size, size_t capacity,
                                ConfigFile* file, std::string* why) {
  *file = ConfigFile{};
  why->clear();
  ConfigFileError error = ParseAny(bytes, size, capacity, file, why);
  if (error != ConfigFileError::None) {
    *file = ConfigFile{};
    return error;
  }
  const std::vector<uint8_t>& data = file->bit.data;
  file->hasIdcode = FindStreamIdcode(data.data(), data.size(), &file->idcode);
  return ConfigFileError::None;
}

ConfigFileError LoadConfigFile(const char* path, size_t capacity, ConfigFile* file,
                               std::string* why) {
  *file = ConfigFile{};
  std::vector<uint8_t> bytes;
  FileIdentity identity;
  switch (ReadWholeFile(path, MAX_CONFIG_FILE_BYTES, &bytes, &identity)) {
    case WholeFileError::None:
      break;
    case WholeFileError::NotFound:
      *why = "no such file, or not a readable regular file";
      return ConfigFileError::NotFound;
    case WholeFileError::TooLarge:
      *why = OverLimit("the file", MAX_CONFIG_FILE_BYTES);
      return ConfigFileError::TooLarge;
  }
  ConfigFileError error = ParseConfigFile(bytes.data(), bytes.size(), capacity, file, why);
  if (error == ConfigFileError::None) file->bit.identity = identity;
  return error;
}

const char* ConfigFormatName(ConfigFormat format) {
  switch (format) {
    case ConfigFormat::Bit:
      return ".bit";
    case ConfigFormat::IntelHex:
      return "Intel HEX";
    case ConfigFormat::Raw:
      return "raw";
  }
  return "?";
}

const char* ByteOrderName(ByteOrder order) {
  switch (order) {
    case ByteOrder::AsBit:
      return "as in a .bit";
    case ByteOrder::Reversed:
      return "bit-reversed";
    case ByteOrder::None:
      return "none";
  }
  return "?";
}

}  // namespace torvane
