#include "cli/adapter_choice.h"

#include <filesystem>
#include <system_error>

#include "cable/cable.h"
#include "cable/cable_choice.h"
#include "link/adapter_link.h"
#include "link/recorder.h"
#include "link/vcd_writer.h"

namespace torvane::cli {

AdapterChoice::AdapterChoice() = default;

// Without FinishFiles the run did not get far enough: the named files stay as they were.
// The wrappers go first, as they write into the files' streams.
AdapterChoice::~AdapterChoice() {
  vcd_.reset();
  recorder_.reset();
}

bool AdapterChoice::Choose(const std::string& board, std::string* error,
                           const std::string& serial) {
  const std::string prefix = "sim:";
  if (board.compare(0, prefix.size(), prefix) == 0) {
    sim::BoardKind kind;
    if (!sim::ParseBoardName(board.substr(prefix.size()), &kind)) {
      *error = "unknown simulated board '" + board + "' (" + sim::BoardNames("sim:", ", ") + ")";
      return false;
    }
    board_ = sim::MakeBoard(kind);
    return true;
  }
  if (board == "usb") {
    CableDecision decision = DecideCable(*MakeCableList(/*tryOpen=*/false), ADAPTER_DESCRIPTION,
                                         serial);
    if (decision.kind == CableDecision::Kind::Refuse) {
      *error = decision.message;
      return false;
    }
    cable_ = MakeCable(error, decision.serial);
    return cable_ != nullptr;
  }
  *error = "unknown board '" + board + "' (usb or sim:NAME)";
  return false;
}

bool AdapterChoice::Record(const std::string& tracePath, const std::string& vcdPath,
                           std::string* error) {
  tracePath_ = tracePath;
  vcdPath_ = vcdPath;
  Adapter* inner = board_ ? static_cast<Adapter*>(board_.get()) : cable_.get();
  if (!tracePath.empty()) {
    if (!traceFile_.Open(tracePath, "trace file", error)) return false;
    recorder_ = std::make_unique<Recorder>(*inner, traceFile_.stream());
    inner = recorder_.get();
  }
  if (!vcdPath.empty()) {
    if (!vcdFile_.Open(vcdPath, "waveform file", error)) return false;
    vcd_ = std::make_unique<VcdWriter>(*inner, vcdFile_.stream());
  }
  return true;
}

bool AdapterChoice::FlushFiles(std::string* error) {
  if (recorder_ && !recorder_->Flush()) {
    *error = "the trace file could not be written in full";
    return false;
  }
  if (vcd_ && !vcd_->Good()) {
    *error = "the waveform file could not be written in full";
    return false;
  }
  return traceFile_.Flush(error) && vcdFile_.Flush(error);
}

bool AdapterChoice::FinishFiles(std::string* error) {
  bool good = true;
  // Each wrapper writes its last lines before its file is put in place.
  if (vcd_ && !vcd_->Finish()) {
    *error = "the waveform file could not be written in full";
    good = false;
  }
  if (recorder_ && !recorder_->Flush()) {
    *error = "the trace file could not be written in full";
    good = false;
  }
  vcd_.reset();
  recorder_.reset();
  if (!good) {
    vcdFile_.Discard();
    traceFile_.Discard();
    return false;
  }
  return vcdFile_.Commit(error) && traceFile_.Commit(error);
}

bool AdapterChoice::WritesTo(const std::string& path) const {
  for (const std::string& mine : {tracePath_, vcdPath_}) {
    std::error_code error;
    if (!mine.empty() && (mine == path || std::filesystem::equivalent(mine, path, error))) {
      return true;
    }
  }
  return false;
}

Adapter* AdapterChoice::adapter() const {
  if (vcd_) return vcd_.get();
  if (recorder_) return recorder_.get();
  if (board_) return board_.get();
  return cable_.get();
}

std::string AdapterChoice::OpenProblem() const {
  if (!cable_) return std::string();
  std::string text = cable_->LastOpenProblem();
  const char* remedy = CableRemedy(cable_->LastOpenProblemKind());
  if (!text.empty() && remedy) text += ":\n  " + std::string(remedy);
  return text;
}

}  // namespace torvane::cli
