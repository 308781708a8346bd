// Any file of configuration data the tool takes: a .bit, a PROM file in Intel HEX (.mcs)
// or a raw image (.bin), told apart by content, never by name. Whatever the form, the data
// comes out in the .bit's byte order, ready for the downloads, with what the file showed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bitfile/bit_file.h"
#include "bitfile/config_data.h"

namespace torvane {

enum class ConfigFormat {
  Bit,       // starts 00 09: a .bit header
  IntelHex,  // text that opens with the record mark ':' (after any line ends)
  Raw,       // anything else: the file is the image
};

enum class ConfigFileError {
  None,
  NotFound,     // missing, not a regular file, or unreadable
  WrongFormat,  // a .bit whose header does not parse
  TooLarge,     // a .bit's data or a raw image over MAX_DATA_BYTES, or a file far beyond
  BadRecord,    // Intel HEX the reader refuses; the text names the line
  NoSyncWord,   // a PROM file or raw image with no sync word near the start in either order
};

struct ConfigFile {
  ConfigFormat format = ConfigFormat::Raw;
  ByteOrder order = ByteOrder::None;  // as the file holds the data
  bool hasIdcode = false;
  uint32_t idcode = 0;  // the stream's write to its IDCODE register, when hasIdcode
  // The data in the .bit's order, for DownloadFpgaFrom and DownloadPromFrom; the header
  // fields for a .bit, empty for the others (whose dataOffset is 0); the file's identity.
  BitFile bit;
};

// Decides the format of `size` bytes and reads them. `capacity` bounds an Intel HEX
// image (the PROM's size); a .bit keeps its data exactly as the .bit reader gives it,
// with or without a sync word. On an error `file` is left empty and `why` says what is
// wrong, naming the line for Intel HEX.
ConfigFileError ParseConfigFile(const uint8_t* bytes, size_t size, size_t capacity,
                                ConfigFile* file, std::string* why);

// The same for the regular file `path` names, read whole first.
ConfigFileError LoadConfigFile(const char* path, size_t capacity, ConfigFile* file,
                               std::string* why);

const char* ConfigFormatName(ConfigFormat format);  // ".bit", "Intel HEX", "raw"
const char* ByteOrderName(ByteOrder order);         // "as in a .bit", "bit-reversed", "none"

}  // namespace torvane
