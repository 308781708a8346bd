// The modal pieces of the Qt dialog, the message boxes and the open-file dialog, behind
// one small interface: the application shows the system ones, tests answer them without
// blocking.
#pragma once

#include <QString>

#include "procedures/dialog_host.h"

class QWidget;

namespace torvane::ui {

class DialogPresenter {
 public:
  virtual ~DialogPresenter() = default;
  // A modal box; `owner` is null for a box that stands on its own.
  virtual void ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                           MessageIcon icon) = 0;
  // The open-file dialog with no owner; an empty string when cancelled. `filter` holds
  // its pattern in parentheses, as "Bit Files(*.bit)".
  virtual QString GetOpenFileName(const QString& title, const QString& filter) = 0;
};

class SystemPresenter : public DialogPresenter {
 public:
  void ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                   MessageIcon icon) override;
  QString GetOpenFileName(const QString& title, const QString& filter) override;
};

}  // namespace torvane::ui
