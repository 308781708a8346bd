// The configuration dialog in Qt 6 Widgets: the controls of the shared layout at their
// dialog-unit positions, each event forwarded to the shared rules, and the DialogView
// the rules and the procedures write to.
#pragma once

#include <QDialog>
#include <QRect>
#include <string>
#include <utility>
#include <vector>

#include "ui/configure_dialog.h"
#include "ui/keep_alive_pacer.h"
#include "ui/qt/dialog_presenter.h"

class QProgressBar;

namespace torvane::ui {

// Dialog units of "MS Sans Serif" 8 pt, whose dialog base units are 6 x 13 pixels at
// 96 dpi: x px = x_du * 6 / 4 and y px = y_du * 13 / 8, rounded to nearest.
QRect DialogUnitsToPixels(int x, int y, int width, int height);

class ConfigureWindow final : public QDialog, public DialogView {
  Q_OBJECT

 public:
  // Builds the controls and runs the dialog's initialisation, identification included.
  ConfigureWindow(AppState& state, DialogPresenter& presenter, QWidget* parent = nullptr);

  QWidget* Control(int controlId) const;  // null for an identifier the dialog lacks
  // How often long work lets the window repaint and its timers run, at most.
  void SetKeepAliveInterval(std::chrono::milliseconds interval) { pacer_.SetInterval(interval); }

  // DialogHost
  void SetStatusLine(StatusLine line, const char* text) override;
  void SetProgressRange(uint32_t minimum, uint32_t maximum) override;
  void SetProgressPos(uint32_t position) override;
  void ShowError(MessageOwner owner, const char* text) override;
  void ShowVerdict(DownloadResult result) override;
  // DialogView
  void SetControlText(int controlId, const char* text) override;
  std::string GetControlText(int controlId) override;
  void EnableControl(int controlId, bool enabled) override;
  std::string ShowOpenFileDialog(const OpenFileRequest& request) override;
  void PostQuit(int exitCode) override;

 public slots:
  // Escape and the standard Cancel command leave the dialog open.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  QProgressBar* ProgressBar() const;

  ConfigureDialog dialog_;
  DialogPresenter& presenter_;
  std::vector<std::pair<int, QWidget*>> controls_;
  KeepAlivePacer pacer_;
  int progressMin_ = 0;
  int progressMax_ = 100;
};

}  // namespace torvane::ui
