// Turns the --board option into the adapter the link talks to: the real cable through
// libftdi ("usb"), or a simulated board ("sim:NAME"), optionally wrapped by the recorder.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "link/adapter.h"
#include "sim/board.h"

namespace torvane::cli {

class AdapterChoice {
 public:
  // False with `error` set when the board name is unknown or the real cable's backend was
  // not built into this program.
  bool Choose(const std::string& board, std::string* error);
  // Starts the trace; false when the file cannot be created.
  bool Trace(const std::string& path, std::string* error);
  Adapter* adapter() const;
  sim::Board* board() const { return board_.get(); }
  // Why the real cable could not be opened, with what to do about it; empty otherwise.
  std::string OpenProblem() const;

  AdapterChoice();
  ~AdapterChoice();

 private:
  std::unique_ptr<sim::Board> board_;
  std::unique_ptr<Adapter> cable_;
  std::unique_ptr<Adapter> recorder_;
  std::FILE* traceFile_ = nullptr;
};

}  // namespace torvane::cli
