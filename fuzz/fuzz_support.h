// What both fuzz targets share: a dialog host that only counts, and one scratch file per
// process that each input is written to, since the reader works on paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "procedures/dialog_host.h"

namespace torvane::fuzz {

class CountingHost : public DialogHost {
 public:
  void SetStatusLine(StatusLine, const char*) override {}
  void SetProgressRange(uint32_t minimum, uint32_t maximum) override {
    rangeMin = minimum;
    rangeMax = maximum;
  }
  void SetProgressPos(uint32_t) override { ++positions; }
  void ShowError(MessageOwner, const char*) override { ++messages; }
  void ShowVerdict(DownloadResult) override { ++messages; }

  uint32_t rangeMin = 0;
  uint32_t rangeMax = 0;
  uint64_t positions = 0;
  int messages = 0;
};

// Writes the input to this process's scratch file and returns its path; "" on failure.
std::string WriteInput(const uint8_t* data, size_t size);

}  // namespace torvane::fuzz
