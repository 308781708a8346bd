#include "cli/adapter_choice.h"

#include "link/recorder.h"
#ifdef TORVANE_HAVE_LIBFTDI
#include "link/libftdi_adapter.h"
#endif

namespace torvane::cli {

AdapterChoice::AdapterChoice() = default;

AdapterChoice::~AdapterChoice() {
  recorder_.reset();  // flushes the trace before its file is closed
  if (traceFile_) std::fclose(traceFile_);
}

bool AdapterChoice::Choose(const std::string& board, std::string* error) {
  const std::string prefix = "sim:";
  if (board.compare(0, prefix.size(), prefix) == 0) {
    sim::BoardKind kind;
    if (!sim::ParseBoardName(board.substr(prefix.size()), &kind)) {
      *error = "unknown simulated board '" + board +
               "' (sim:xc3s200, sim:xc3s400, sim:prom, sim:prom400, sim:none, sim:dead, sim:dead0)";
      return false;
    }
    board_ = sim::MakeBoard(kind);
    return true;
  }
  if (board == "usb") {
#ifdef TORVANE_HAVE_LIBFTDI
    cable_ = std::make_unique<LibftdiAdapter>();
    return true;
#else
    *error = "this build has no USB backend (libftdi1 was not found when it was built)";
    return false;
#endif
  }
  *error = "unknown board '" + board + "' (usb or sim:NAME)";
  return false;
}

bool AdapterChoice::Trace(const std::string& path, std::string* error) {
  traceFile_ = std::fopen(path.c_str(), "w");
  if (!traceFile_) {
    *error = "cannot create the trace file '" + path + "'";
    return false;
  }
  Adapter* inner = board_ ? static_cast<Adapter*>(board_.get()) : cable_.get();
  recorder_ = std::make_unique<Recorder>(*inner, traceFile_);
  return true;
}

Adapter* AdapterChoice::adapter() const {
  if (recorder_) return recorder_.get();
  if (board_) return board_.get();
  return cable_.get();
}

std::string AdapterChoice::OpenProblem() const {
#ifdef TORVANE_HAVE_LIBFTDI
  if (cable_) return static_cast<LibftdiAdapter*>(cable_.get())->LastOpenProblem();
#endif
  return std::string();
}

}  // namespace torvane::cli
