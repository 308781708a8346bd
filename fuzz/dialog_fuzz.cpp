// Any sequence of the dialog's events on a simulated board: Browse with any answer, the
// path edit with any text, Connect, Download, a power cycle of the board, commands the
// dialog does not know. After every event Download is enabled exactly when a path is
// held, a path the buffer cannot hold whole is no path, and each Download ends in exactly
// one box; a "DOWNLOAD COMPLETE !" means the device holds the selected file.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bitfile/bit_file.h"
#include "fuzz/fuzz_support.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tools/make_bitstream.h"
#include "ui/configure_dialog.h"
#include "ui/fake_view_test.h"

using namespace torvane;

namespace {

constexpr int MAX_EVENTS = 48;
constexpr const char* COMPLETE = "DOWNLOAD COMPLETE !";

// The files a user might pick, made once: designs for each FPGA, raw data a PROM takes,
// a malformed one, a folder, a missing name and a name longer than the buffer.
struct Files {
  std::vector<std::string> paths;
  std::map<std::string, BitFile> loaded;  // what each usable file holds

  Files() {
    struct Made {
      const char* name;
      BitPart part;
      size_t size;
      bool raw;
      BitDefect defect;
    };
    const Made made[] = {{"s200.bit", BitPart::Xc3s200, 1500, false, BitDefect::None},
                         {"s400.bit", BitPart::Xc3s400, 1500, false, BitDefect::None},
                         {"raw.bit", BitPart::Xc3s200, 1100, true, BitDefect::None},
                         {"bad.bit", BitPart::Xc3s200, 64, true, BitDefect::MissingKey}};
    for (const Made& m : made) {
      BitstreamOptions options;
      options.part = m.part;
      options.dataSize = m.size;
      options.rawBody = m.raw;
      options.defect = m.defect;
      std::vector<uint8_t> bytes = MakeBitFile(options);
      std::string path = fuzz::WriteScratch(m.name, bytes.data(), bytes.size());
      if (path.empty()) std::abort();
      paths.push_back(path);
      BitFile file;
      if (LoadBitFile(path.c_str(), &file) == BitFileError::None) loaded[path] = file;
    }
    paths.push_back(fuzz::ScratchPath("missing.bit"));
    paths.push_back(fuzz::ScratchPath("") + std::string(300, 'p') + ".bit");
    paths.push_back(std::string());
  }
};

const Files& TheFiles() {
  static const Files files;
  return files;
}

std::string PickText(FuzzedDataProvider& input) {
  const std::vector<std::string>& paths = TheFiles().paths;
  size_t choice = input.ConsumeIntegralInRange<size_t>(0, paths.size());
  return choice < paths.size() ? paths[choice] : input.ConsumeRandomLengthString(300);
}

// The device holds the file: the FPGA started, or the flash holds its data padded.
void CheckHeld(const sim::Board& board, const std::string& path) {
  auto found = TheFiles().loaded.find(path);
  if (found == TheFiles().loaded.end()) std::abort();  // only a usable file completes
  if (board.prom() != nullptr) {
    std::vector<uint8_t> expected = found->second.data;
    expected.resize(board.prom()->memory().size(), 0xFF);
    if (board.prom()->memory() != expected) std::abort();
  } else if (!board.fpga()->done()) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const sim::BoardKind kinds[] = {sim::BoardKind::Xc3s200, sim::BoardKind::Xc3s400,
                                  sim::BoardKind::Prom200, sim::BoardKind::None,
                                  sim::BoardKind::DeadHigh};
  sim::Board board(input.PickValueInArray(kinds));
  AppState state;
  state.link.adapter = &board;
  ui::FakeView view;
  ui::ConfigureDialog dialog{state, view};
  ui::OnInitDialog(dialog);

  for (int event = 0; event < MAX_EVENTS && input.remaining_bytes() > 0; ++event) {
    switch (input.ConsumeIntegralInRange(0, 5)) {
      case 0: {
        std::string answer = PickText(input);
        view.answers.push_back(answer);
        ui::OnCommand(dialog, IDC_BROWSE);
        if (view.texts[IDC_FILE_PATH] != state.path) std::abort();
        bool fits = answer.size() <= ui::PATH_MAX_CHARS;
        if (std::strcmp(state.path, fits ? answer.c_str() : "") != 0) std::abort();
        break;
      }
      case 1: {
        std::string text = PickText(input);
        view.texts[IDC_FILE_PATH] = text;
        ui::OnCommand(dialog, IDC_FILE_PATH);
        bool fits = text.size() <= ui::PATH_MAX_CHARS;
        if (std::strcmp(state.path, fits ? text.c_str() : "") != 0) std::abort();
        break;
      }
      case 2:
        ui::OnCommand(dialog, IDC_CONNECT);
        if (view.texts[IDC_USB_STATUS].rfind("USB : ", 0) != 0) std::abort();
        break;
      case 3: {
        size_t boxes = view.messages.size();
        ui::OnCommand(dialog, IDC_DOWNLOAD);
        if (view.messages.size() != boxes + 1) std::abort();
        if (view.messages.back().text == COMPLETE) CheckHeld(board, state.path);
        break;
      }
      case 4:
        board.Replug();
        break;
      default:
        ui::OnCommand(dialog, input.ConsumeIntegral<int>());
        break;
    }
    if (std::memchr(state.path, '\0', PATH_CAPACITY) == nullptr) std::abort();
    if (view.enabled[IDC_DOWNLOAD] != ui::IsDownloadEnabled(state.path)) std::abort();
  }
  LinkClose(state.link);
  return 0;
}
