// Drives the real Win32 dialog as a user would, for the dialog tests: the dialog runs
// modally on the test's thread while a script on a second thread types into controls,
// clicks buttons, reads what the controls show and answers the message boxes and the
// open-file dialog that come up, instead of letting them block.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "ui/win32/configure_dialog_win32.h"

namespace torvane::ui::testing {

struct MessageBoxSeen {
  std::string caption;
  std::string text;
  bool errorIcon = false;
  bool informationIcon = false;
};

class DialogDriver {
 public:
  DialogDriver(HWND dialog, DWORD dialogThread) : dialog_(dialog), thread_(dialogThread) {}

  HWND dialog() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }
  std::string Text(int id) const;
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  int ProgressPos() const;
  int ProgressMax() const;

  // Input goes through the dialog's own message loop, in order.
  void Click(int id);                         // a mouse click on a button
  void Type(int id, const std::string& text);  // one character message per character
  void Key(int id, UINT virtualKey);          // a key pressed and released
  // `text` put in at the caret as a paste puts it, within the edit's text limit.
  void Paste(int id, const std::string& text);
  // Returns once everything posted before has been handled.
  bool Sync();

  // Whether a message box or the open-file dialog of the dialog's thread is up.
  bool BoxOpen() const;
  // Waits for the next message box of the dialog's thread, reads it and presses its
  // button. False when none comes in time.
  bool AnswerMessageBox(MessageBoxSeen* seen);
  // Waits for the open-file dialog; types `file` as its file name and presses Open, or
  // presses Cancel for an empty `file`. `title` and `filter` receive what it showed.
  bool AnswerOpenFile(const std::string& file, std::string* title, std::string* filter);

 private:
  HWND dialog_;
  DWORD thread_;
};

// Runs the configuration dialog on this thread with `session` until `script` has run on
// a second thread; the script's end closes the dialog through its close box.
void RunDialog(const DialogSession& session, const std::function<void(DialogDriver&)>& script);

// The stand-in driver library beside the test program, with its board file.
std::string TestDirectory();
void ChooseBoard(const char* name);  // writes the board file; null removes it

}  // namespace torvane::ui::testing
