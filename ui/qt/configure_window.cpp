#include "ui/qt/configure_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <climits>

#include "ui/dialog_layout.h"
#include "ui/qt/app_icon.h"

namespace torvane::ui {

namespace {

constexpr int BASE_UNIT_X = 6;
constexpr int BASE_UNIT_Y = 13;
// 8 pt at 96 dpi, fixed in pixels so the text fits the pixel geometry on any screen.
constexpr int FONT_PIXELS = 11;

int Scale(int units, int base, int divisor) { return (units * base + divisor / 2) / divisor; }

QString FromLocal(const char* text) { return QString::fromLocal8Bit(text); }

QWidget* CreateControl(const ControlSpec& entry, QWidget* parent) {
  switch (entry.kind) {
    case ControlKind::GroupBox: {
      auto* box = new QGroupBox(FromLocal(entry.text), parent);
      // A frame around other controls: clicks go through it, as they do in a dialog.
      box->setAttribute(Qt::WA_TransparentForMouseEvents);
      return box;
    }
    case ControlKind::PushButton: {
      auto* button = new QPushButton(FromLocal(entry.text), parent);
      button->setDefault((entry.styles & STYLE_DEFAULT_BUTTON) != 0);
      return button;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(FromLocal(entry.text), parent);
      if (entry.styles & STYLE_CENTRED) {
        edit->setAlignment(Qt::AlignCenter);
      }
      if (entry.id != IDC_FILE_PATH) {
        edit->setReadOnly(true);  // only identification writes the status lines
        // Disabled, yet they are the dialog's news: the system's grey text, not fainter.
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
        edit->setPalette(palette);
      } else {
        edit->setMaxLength(PATH_EDIT_LIMIT);
      }
      edit->setFrame((entry.styles & STYLE_BORDER) != 0);
      return edit;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      bar->setRange(0, 100);
      bar->setValue(0);
      return bar;
    }
  }
  return nullptr;
}

}  // namespace

QRect DialogUnitsToPixels(int x, int y, int width, int height) {
  return QRect(Scale(x, BASE_UNIT_X, 4), Scale(y, BASE_UNIT_Y, 8), Scale(width, BASE_UNIT_X, 4),
               Scale(height, BASE_UNIT_Y, 8));
}

ConfigureWindow::ConfigureWindow(AppState& state, DialogPresenter& presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      dialog_{state, *this},
      presenter_(presenter) {
  setWindowTitle(DIALOG_CAPTION);
  setWindowIcon(AppIcon());
  QFont font(DIALOG_FONT);
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(FONT_PIXELS);
  setFont(font);
  setFixedSize(DialogUnitsToPixels(0, 0, DIALOG_WIDTH_DU, DIALOG_HEIGHT_DU).size());
  CreateControls();

  OnInitDialog(dialog_);
  // The first enabled control that takes the tab key takes the focus.
  for (size_t i = 0; i < CONFIGURE_CONTROL_COUNT; ++i) {
    QWidget* control = Control(CONFIGURE_CONTROLS[i].id);
    if ((CONFIGURE_CONTROLS[i].styles & STYLE_TAB_STOP) && control && control->isEnabled()) {
      control->setFocus(Qt::OtherFocusReason);
      break;
    }
  }
}

void ConfigureWindow::CreateControls() {
  QWidget* previousTabStop = nullptr;
  std::vector<QWidget*> frames;
  for (size_t i = 0; i < CONFIGURE_CONTROL_COUNT; ++i) {
    const ControlSpec& entry = CONFIGURE_CONTROLS[i];
    QWidget* control = CreateControl(entry, this);
    control->setGeometry(DialogUnitsToPixels(entry.x, entry.y, entry.width, entry.height));
    control->setEnabled((entry.styles & STYLE_DISABLED) == 0);
    if (entry.styles & STYLE_TAB_STOP) {
      control->setFocusPolicy(Qt::StrongFocus);
      if (previousTabStop != nullptr) {
        setTabOrder(previousTabStop, control);
      }
      previousTabStop = control;
    } else {
      control->setFocusPolicy(Qt::NoFocus);
    }
    if (entry.kind == ControlKind::GroupBox) {
      frames.push_back(control);
    }
    if (entry.id == NO_CONTROL_ID) {
      continue;
    }
    controls_.emplace_back(entry.id, control);
    if (auto* button = qobject_cast<QPushButton*>(control)) {
      int id = entry.id;
      connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(dialog_, id); });
    }
  }
  for (QWidget* frame : frames) {
    frame->lower();  // drawn beneath the controls it frames
  }
  // Any change of the text, typed or set, is a command of the path edit.
  auto* path = qobject_cast<QLineEdit*>(Control(IDC_FILE_PATH));
  connect(path, &QLineEdit::textChanged, this, [this] { OnCommand(dialog_, IDC_FILE_PATH); });
}

QWidget* ConfigureWindow::Control(int controlId) const {
  for (const auto& entry : controls_) {
    if (entry.first == controlId) {
      return entry.second;
    }
  }
  return nullptr;
}

QProgressBar* ConfigureWindow::ProgressBar() const {
  return qobject_cast<QProgressBar*>(Control(IDC_PROGRESS));
}

void ConfigureWindow::SetStatusLine(StatusLine line, const char* text) {
  SetControlText(StatusLineControl(line), text);
}

void ConfigureWindow::SetProgressRange(uint32_t minimum, uint32_t maximum) {
  progressMin_ = static_cast<int>(std::min<uint32_t>(minimum, INT_MAX));
  progressMax_ = static_cast<int>(std::min<uint32_t>(maximum, INT_MAX));
  // An empty range would turn the bar into a busy indicator; it shows empty instead.
  if (progressMax_ <= progressMin_) {
    progressMax_ = progressMin_ + 1;
  }
  ProgressBar()->setRange(progressMin_, progressMax_);
}

void ConfigureWindow::SetProgressPos(uint32_t position) {
  // Positions past the maximum fill the bar; the offsets reported count the header.
  int clamped = static_cast<int>(std::min<uint32_t>(position, static_cast<uint32_t>(progressMax_)));
  ProgressBar()->setValue(std::max(clamped, progressMin_));
  // The work runs on this thread: now and then the window paints what changed and its
  // timers run. Clicks and keys stay queued; the verdict box's loop takes them, and the
  // box blocks the dialog, so they do nothing.
  if (pacer_.Due()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

void ConfigureWindow::ShowError(MessageOwner owner, const char* text) {
  presenter_.ShowMessage(owner == MessageOwner::Dialog ? this : nullptr, FromLocal(text),
                         FromLocal(ERROR_CAPTION), MessageIcon::Error);
}

void ConfigureWindow::ShowVerdict(DownloadResult result) {
  presenter_.ShowMessage(this, FromLocal(VerdictText(result)), FromLocal(VERDICT_CAPTION),
                         VerdictIcon(result));
}

void ConfigureWindow::SetControlText(int controlId, const char* text) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control(controlId))) {
    edit->setText(FromLocal(text));
  } else if (auto* button = qobject_cast<QPushButton*>(Control(controlId))) {
    button->setText(FromLocal(text));
  }
}

std::string ConfigureWindow::GetControlText(int controlId) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control(controlId))) {
    return edit->text().toLocal8Bit().toStdString();
  }
  if (auto* button = qobject_cast<QPushButton*>(Control(controlId))) {
    return button->text().toLocal8Bit().toStdString();
  }
  return std::string();
}

void ConfigureWindow::EnableControl(int controlId, bool enabled) {
  if (QWidget* control = Control(controlId)) {
    control->setEnabled(enabled);
  }
}

std::string ConfigureWindow::ShowOpenFileDialog(const OpenFileRequest& request) {
  QString chosen = presenter_.GetOpenFileName(FromLocal(request.title),
                                              FromLocal(request.filterName));
  return chosen.toLocal8Bit().toStdString();
}

void ConfigureWindow::PostQuit(int exitCode) { QCoreApplication::exit(exitCode); }

void ConfigureWindow::reject() {}

void ConfigureWindow::closeEvent(QCloseEvent* event) {
  if (OnClose(dialog_)) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace torvane::ui
