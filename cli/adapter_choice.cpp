#include "cli/adapter_choice.h"

#include <filesystem>
#include <system_error>

#include "link/recorder.h"
#include "link/vcd_writer.h"
#ifdef TORVANE_HAVE_LIBFTDI
#include "link/libftdi_adapter.h"
#endif

namespace torvane::cli {

AdapterChoice::AdapterChoice() = default;

AdapterChoice::~AdapterChoice() {
  std::string ignored;
  FinishFiles(&ignored);
}

bool AdapterChoice::Choose(const std::string& board, std::string* error) {
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

bool AdapterChoice::Record(const std::string& tracePath, const std::string& vcdPath,
                           std::string* error) {
  tracePath_ = tracePath;
  vcdPath_ = vcdPath;
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

#ifdef TORVANE_HAVE_LIBFTDI
namespace {

// What a user can do about each reason the cable would not open.
const char* Remedy(torvane::OpenProblem problem) {
  switch (problem) {
    case torvane::OpenProblem::NOT_ATTACHED:
      return "plug the cable in; 'lsusb -d 0403:6001' lists it once it is seen";
    case torvane::OpenProblem::NO_MATCHING_DESCRIPTION:
      return "the cable is looked for by the description \"FT232R USB UART\"; an FT232R "
             "whose description was changed is not used";
    case torvane::OpenProblem::NO_PERMISSION:
      return "install the package's udev rule (70-torvane-ft232r.rules, in /usr/lib/udev/"
             "rules.d or /etc/udev/rules.d), run 'sudo udevadm control --reload' and plug "
             "the cable in again";
    case torvane::OpenProblem::DEVICE_BUSY:
      return "close any other program using the cable; if the kernel's serial driver "
             "still holds it, 'sudo rmmod ftdi_sio' releases it";
    case torvane::OpenProblem::USB_UNAVAILABLE:
      return "check that USB devices are reachable (/dev/bus/usb) from this session";
    case torvane::OpenProblem::NONE:
    case torvane::OpenProblem::OTHER:
      break;
  }
  return nullptr;
}

}  // namespace
#endif

std::string AdapterChoice::OpenProblem() const {
#ifdef TORVANE_HAVE_LIBFTDI
  if (cable_) {
    auto* cable = static_cast<LibftdiAdapter*>(cable_.get());
    std::string text = cable->LastOpenProblem();
    const char* remedy = Remedy(cable->LastOpenProblemKind());
    if (!text.empty() && remedy) text += ":\n  " + std::string(remedy);
    return text;
  }
#endif
  return std::string();
}

}  // namespace torvane::cli
