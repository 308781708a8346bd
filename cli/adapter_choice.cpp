#include "cli/adapter_choice.h"

#include "link/recorder.h"
#include "link/vcd_writer.h"
#ifdef TORVANE_HAVE_LIBFTDI
#include "link/libftdi_adapter.h"
#endif

namespace torvane::cli {

AdapterChoice::AdapterChoice() = default;

// Without FinishFiles the run did not get far enough: the named files stay as they were.
// The wrappers go first, as they write into the files' streams.
AdapterChoice::~AdapterChoice() {
  vcd_.reset();
  recorder_.reset();
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

bool AdapterChoice::Record(const std::string& tracePath, const std::string& vcdPath,
                           std::string* error) {
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
