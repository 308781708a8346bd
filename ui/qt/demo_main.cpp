// torvane-demo: the configuration dialog on a simulated board, for trying the tool and
// taking pictures of it without hardware.
//   torvane-demo [BOARD] [--board BOARD] [--screenshot FILE]
#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <cstring>
#include <string>

#include "sim/board.h"
#include "ui/qt/configure_window.h"

namespace {

void PrintUsage() {
  std::fprintf(stderr,
               "usage: torvane-demo [BOARD] [--board BOARD] [--screenshot FILE]\n"
               "  BOARD: %s (default prom)\n"
               "  --screenshot FILE  write a picture of the dialog to FILE and exit\n",
               torvane::sim::BoardNames("", ", ").c_str());
}

struct DemoOptions {
  torvane::sim::BoardKind board = torvane::sim::BoardKind::Prom200;
  std::string screenshot;
};

bool ParseOptions(int argc, char** argv, DemoOptions* options) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--board") == 0 && i + 1 < argc) {
      arg = argv[++i];
    } else if (std::strcmp(arg, "--screenshot") == 0 && i + 1 < argc) {
      options->screenshot = argv[++i];
      continue;
    } else if (arg[0] == '-') {
      return false;
    }
    if (!torvane::sim::ParseBoardName(arg, &options->board)) {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);  // takes Qt's own options out of argv first
  DemoOptions options;
  if (!ParseOptions(argc, argv, &options)) {
    PrintUsage();
    return 2;
  }
  std::unique_ptr<torvane::sim::Board> board = torvane::sim::MakeBoard(options.board);
  torvane::AppState state;
  state.link.adapter = board.get();
  torvane::ui::SystemPresenter presenter;
  torvane::ui::ConfigureWindow window(state, presenter);
  window.show();
  if (!options.screenshot.empty()) {
    QApplication::processEvents();
    bool saved = window.grab().save(QString::fromLocal8Bit(options.screenshot.c_str()));
    if (!saved) {
      std::fprintf(stderr, "torvane-demo: cannot write %s\n", options.screenshot.c_str());
      return 1;
    }
    return 0;
  }
  return app.exec();
}
