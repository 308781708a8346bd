#include "ui/qt/dialog_presenter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace torvane::ui {

void SystemPresenter::ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                                  MessageIcon icon) {
  if (icon == MessageIcon::Error) {
    QMessageBox::critical(owner, caption, text);
  } else {
    QMessageBox::information(owner, caption, text);
  }
}

QString SystemPresenter::GetOpenFileName(const QString& title, const QString& filter) {
  // Only existing files can be chosen, as the open-file dialog requires.
  return QFileDialog::getOpenFileName(nullptr, title, QString(), filter);
}

}  // namespace torvane::ui
