// torvane: the configuration dialog on the USB adapter. The whole life of the process is
// the dialog; closing it ends the process with code 0. A file named on the command line
// (the desktop entry's %f) is the selected path.
#include <QApplication>

#include <string>

#include "cable/cable.h"
#include "ui/qt/configure_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Null on a build without a USB backend: the dialog then shows the cable not connected.
  std::string noBackend;
  std::unique_ptr<torvane::Adapter> adapter = torvane::MakeCable(&noBackend);
  torvane::AppState state;
  state.link.adapter = adapter.get();
  torvane::ui::SystemPresenter presenter;
  torvane::ui::ConfigureWindow window(state, presenter);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    // The path edit hands its text to the dialog rules, as when the user types it.
    window.SetControlText(IDC_FILE_PATH, arguments[1].toLocal8Bit().constData());
  }
  window.show();
  return app.exec();
}
