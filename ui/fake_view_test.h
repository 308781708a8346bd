// A recording DialogView for the tests of the shared dialog rules: it keeps every
// control's text and enabled state, the boxes shown and the file dialogs asked for.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "tests/support/recording_host.h"
#include "ui/dialog_view.h"

namespace torvane::ui {

class FakeView : public DialogView {
 public:
  void SetStatusLine(StatusLine line, const char* text) override {
    texts[StatusLineControl(line)] = text;
  }
  void SetProgressRange(uint32_t minimum, uint32_t maximum) override {
    progressMin = minimum;
    progressMax = maximum;
  }
  void SetProgressPos(uint32_t position) override { progressPos = position; }
  // Boxes are recorded as the shared recording host records them.
  void ShowError(MessageOwner owner, const char* text) override { boxes.ShowError(owner, text); }
  void ShowVerdict(DownloadResult result) override { boxes.ShowVerdict(result); }
  void SetControlText(int id, const char* text) override { texts[id] = text; }
  std::string GetControlText(int id) override { return texts[id]; }
  void EnableControl(int id, bool enabled) override { this->enabled[id] = enabled; }
  std::string ShowOpenFileDialog(const OpenFileRequest& request) override {
    requests.push_back(request);
    std::string answer = answers.empty() ? std::string() : answers.front();
    if (!answers.empty()) {
      answers.pop_front();
    }
    return answer;
  }
  void PostQuit(int exitCode) override { quitCode = exitCode; }

  std::map<int, std::string> texts;
  std::map<int, bool> enabled;
  torvane::testing::RecordingHost boxes;
  std::vector<torvane::testing::RecordedMessage>& messages = boxes.messages;
  std::vector<OpenFileRequest> requests;
  std::deque<std::string> answers;  // what the file dialog returns, in turn; "" is Cancel
  uint32_t progressMin = 0xFFFFFFFF;
  uint32_t progressMax = 0xFFFFFFFF;
  uint32_t progressPos = 0xFFFFFFFF;
  int quitCode = -1;
};

}  // namespace torvane::ui
