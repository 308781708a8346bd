// Shared by the Qt dialog's tests: a presenter that records the boxes and answers the file
// dialog instead of showing them, control lookup, and a dialog opened on a simulated board.
#pragma once

#include <QString>
#include <QStringList>
#include <QtTest>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "sim/board.h"
#include "ui/qt/configure_window.h"

namespace torvane::ui::testing {

struct Shown {
  QWidget* owner;
  QString text;
  QString caption;
  MessageIcon icon;
};

class RecordingPresenter : public DialogPresenter {
 public:
  void ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                   MessageIcon icon) override {
    shown.push_back({owner, text, caption, icon});
  }
  QString GetOpenFileName(const QString& title, const QString& filter) override {
    titles.push_back(title);
    filters.push_back(filter);
    if (answers.empty()) return QString();
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<Shown> shown;
  QStringList titles;
  QStringList filters;
  std::deque<QString> answers;  // an empty answer is Cancel
};

template <typename T>
T* Get(ConfigureWindow& window, int id) {
  T* control = qobject_cast<T*>(window.Control(id));
  if (control == nullptr) qFatal("control %d missing", id);
  return control;
}

// The dialog opened and shown on `board`: identification has run, as when it opens.
// A board without a cable (BoardKind::None) also means no real waits.
struct OpenDialog {
  explicit OpenDialog(std::unique_ptr<sim::Board> simulated, std::deque<QString> fileAnswers = {})
      : board(std::move(simulated)) {
    state.link.adapter = board.get();
    presenter.answers = std::move(fileAnswers);
    window = std::make_unique<ConfigureWindow>(state, presenter);
    window->show();
  }
  explicit OpenDialog(sim::BoardKind kind, std::deque<QString> fileAnswers = {})
      : OpenDialog(sim::MakeBoard(kind), std::move(fileAnswers)) {}

  template <typename T>
  T* Get(int id) {
    return testing::Get<T>(*window, id);
  }

  std::unique_ptr<sim::Board> board;
  AppState state;
  RecordingPresenter presenter;
  std::unique_ptr<ConfigureWindow> window;  // last: it goes before what it refers to
};

}  // namespace torvane::ui::testing
