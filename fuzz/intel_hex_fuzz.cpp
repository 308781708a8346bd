// Any text as a PROM file in Intel HEX, against a capacity the first two input bytes
// choose (up to 512 KiB): the reader must never read past the input, must keep every
// accepted image within the capacity, and what it accepts must read back the same from
// the records the writer makes of it. The loader sees the same bytes as a whole file.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "bitfile/config_file.h"
#include "bitfile/intel_hex.h"

using namespace torvane;

namespace {

constexpr size_t CHOICE_BYTES = 2;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < CHOICE_BYTES) return 0;
  const size_t capacity = 8 * (size_t{data[0]} << 8 | data[1]) + 8;
  const uint8_t* text = data + CHOICE_BYTES;
  const size_t textSize = size - CHOICE_BYTES;

  std::vector<uint8_t> image;
  HexError error = ParseIntelHex(text, textSize, capacity, &image);
  if (error.problem != HexProblem::None) {
    if (!image.empty() || error.line == 0) std::abort();  // nothing half-read; a line named
    if (DescribeHexError(error, capacity).rfind("line ", 0) != 0) std::abort();
  } else {
    if (image.size() > capacity) std::abort();
    std::string again = FormatIntelHex(image.data(), image.size());
    std::vector<uint8_t> reread;
    HexError second = ParseIntelHex(reinterpret_cast<const uint8_t*>(again.data()), again.size(),
                                    capacity, &reread);
    if (second.problem != HexProblem::None || reread != image) std::abort();
  }

  ConfigFile file;
  std::string why;
  ConfigFileError loaded = ParseConfigFile(text, textSize, capacity, &file, &why);
  if (loaded == ConfigFileError::None) {
    if (!why.empty()) std::abort();
    // What the HEX reader accepted comes out whole, turned to the .bit's order or not.
    if (file.format == ConfigFormat::IntelHex && file.bit.data.size() != image.size()) {
      std::abort();
    }
  } else if (why.empty() || !file.bit.data.empty()) {
    std::abort();  // a refusal says why and keeps nothing
  }
  return 0;
}
