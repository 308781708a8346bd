// Generated .bit files altered the way other writers leave them, and their data in the
// form the vendor's PROM tools write it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bitfile/config_data.h"

namespace torvane::testing {

// A design for a part without its name in the header ('b' field empty).
inline std::vector<uint8_t> WithoutPart(std::vector<uint8_t> bytes) {
  size_t b = 13 + 3 + (size_t{bytes[14]} << 8 | bytes[15]);
  size_t length = size_t{bytes[b + 1]} << 8 | bytes[b + 2];
  bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(b + 3),
              bytes.begin() + static_cast<std::ptrdiff_t>(b + 3 + length));
  bytes[b + 1] = bytes[b + 2] = 0;
  return bytes;
}

// Configuration data (in the .bit's order) as a PROM file (.mcs) holds it.
inline std::vector<uint8_t> AsPromFile(const std::vector<uint8_t>& data) {
  const std::string text = FormatPromFile(data.data(), data.size());
  return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace torvane::testing
