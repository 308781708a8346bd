// torvane: the configuration dialog on the USB adapter. The whole life of the process is
// the dialog; closing it ends the process with code 0.
#include <QApplication>

#include "ui/qt/configure_window.h"
#include "ui/qt/real_adapter.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::unique_ptr<torvane::Adapter> adapter = torvane::ui::MakeRealAdapter();
  torvane::AppState state;
  state.link.adapter = adapter.get();
  torvane::ui::SystemPresenter presenter;
  torvane::ui::ConfigureWindow window(state, presenter);
  window.show();
  return app.exec();
}
