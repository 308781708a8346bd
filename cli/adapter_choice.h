// Turns the --board option into the adapter the link talks to: the real cable on this
// build's backend ("usb"), or a simulated board ("sim:NAME"), optionally wrapped by the recorder
// (--trace) and the waveform writer (--vcd), and owns the files they write.
#pragma once

#include <memory>
#include <string>

#include "cli/output_file.h"
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
  // is refused or cannot be created. Called once, after Choose.
  bool Record(const std::string& tracePath, const std::string& vcdPath, std::string* error);
  // Pushes what the files hold so far to them: false with `error` set once a write failed,
  // so a lost output is known before a download changes the device.
  bool FlushFiles(std::string* error);
  // Completes the files and puts them in place; false with `error` set when any of them
  // could not be written in full (that one is left as it was).
  bool FinishFiles(std::string* error);
  // Whether `path` names the trace or the waveform file of this run.
  bool WritesTo(const std::string& path) const;
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
  OutputFile traceFile_;
  OutputFile vcdFile_;
  std::string tracePath_;
  std::string vcdPath_;
};

}  // namespace torvane::cli
