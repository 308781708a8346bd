// Turns the --board option into the adapter the link talks to: the real cable on this
// build's backend ("usb"), or a simulated board ("sim:NAME"), optionally wrapped by the recorder
// (--trace) and the waveform writer (--vcd), and owns the files they write.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "link/adapter.h"
#include "sim/board.h"

namespace torvane {
class Recorder;
class VcdWriter;
}  // namespace torvane

namespace torvane::cli {

class AdapterChoice {
 public:
  // False with `error` set when the board name is unknown or the real cable's backend was
  // not built into this program, or when the chips attached leave the cable in doubt:
  // `serial` names one, else the one with the cable's description is taken.
  bool Choose(const std::string& board, std::string* error, const std::string& serial = "");
  // Starts the trace and the waveform, each when its path is not empty; false when a file
  // cannot be created. Called once, after Choose.
  bool Record(const std::string& tracePath, const std::string& vcdPath, std::string* error);
  // Completes and closes the files; false with `error` set when any of them could not be
  // written in full.
  bool FinishFiles(std::string* error);
  Adapter* adapter() const;
  sim::Board* board() const { return board_.get(); }
  // Why the real cable could not be opened, with what to do about it; empty otherwise.
  std::string OpenProblem() const;

  AdapterChoice();
  ~AdapterChoice();

 private:
  std::unique_ptr<sim::Board> board_;
  std::unique_ptr<Adapter> cable_;
  std::unique_ptr<Recorder> recorder_;
  std::unique_ptr<VcdWriter> vcd_;
  std::FILE* traceFile_ = nullptr;
  std::FILE* vcdFile_ = nullptr;
};

}  // namespace torvane::cli
