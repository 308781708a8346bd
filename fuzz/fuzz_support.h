// What the fuzz targets share: a dialog host that only counts, a scratch directory per
// process for the files the reader works on, and a simulated board identified as the
// dialog does on opening.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "procedures/app_state.h"
#include "procedures/dialog_host.h"
#include "sim/board.h"

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

// A path in this process's scratch directory, removed when the process ends normally.
std::string ScratchPath(const char* name);

// Writes bytes to ScratchPath(name) and returns the path; "" on failure.
std::string WriteScratch(const char* name, const uint8_t* data, size_t size);

// Writes the input to this process's input file and returns its path; "" on failure.
inline std::string WriteInput(const uint8_t* data, size_t size) {
  return WriteScratch("input.bit", data, size);
}

// A board of this kind, plugged in anew (Board::Replug) and identified, with `path`
// selected when it fits the path buffer. The process keeps one board of each kind: a new
// board's flash costs more to make than a whole run on it.
struct Session {
  explicit Session(sim::BoardKind kind, const std::string& path = std::string());
  sim::Board* board;
  AppState state;
  CountingHost host;
};

}  // namespace torvane::fuzz
