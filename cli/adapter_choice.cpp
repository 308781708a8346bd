#include "cli/adapter_choice.h"

#include "cli/cable.h"
#include "cli/cable_choice.h"
#include "link/adapter_link.h"
#include "link/recorder.h"
#include "link/vcd_writer.h"

namespace torvane::cli {

AdapterChoice::AdapterChoice() = default;

AdapterChoice::~AdapterChoice() {
  std::string ignored;
  FinishFiles(&ignored);
}

bool AdapterChoice::Choose(const std::string& board, std::string* error,
                           const std::string& serial) {
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
  Adapter* inner = board_ ? static_cast<Adapter*>(board_.get()) : cable_.get();
  if (!tracePath.empty()) {
    traceFile_ = std::fopen(tracePath.c_str(), "w");
    if (!traceFile_) {
      *error = "cannot create the trace file '" + tracePath + "'";
      return false;
    }
    recorder_ = std::make_unique<Recorder>(*inner, traceFile_);
    inner = recorder_.get();
  }
  if (!vcdPath.empty()) {
    vcdFile_ = std::fopen(vcdPath.c_str(), "w");
    if (!vcdFile_) {
      *error = "cannot create the waveform file '" + vcdPath + "'";
      return false;
    }
    vcd_ = std::make_unique<VcdWriter>(*inner, vcdFile_);
  }
  return true;
}

bool AdapterChoice::FinishFiles(std::string* error) {
  bool good = true;
  // Each wrapper writes its last lines before its file is closed.
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
  for (std::FILE** file : {&vcdFile_, &traceFile_}) {
    if (*file && std::fclose(*file) != 0 && good) {
      *error = "a trace or waveform file could not be closed";
      good = false;
    }
    *file = nullptr;
  }
  return good;
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
