// A dialog host for tests: records every status line, progress call and message box
// instead of showing them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "procedures/dialog_host.h"

namespace torvane::testing {

struct RecordedMessage {
  MessageOwner owner;
  std::string text;
  std::string caption;
  MessageIcon icon;
};

class RecordingHost : public DialogHost {
 public:
  void SetStatusLine(StatusLine line, const char* text) override { status[line] = text; }
  void SetProgressRange(uint32_t minimum, uint32_t maximum) override {
    ranges.push_back({minimum, maximum});
  }
  void SetProgressPos(uint32_t position) override { positions.push_back(position); }
  // Each box as the user would see it: text, caption, icon and owner.
  void ShowError(MessageOwner owner, const char* text) override {
    messages.push_back({owner, text, ERROR_CAPTION, MessageIcon::Error});
  }
  void ShowVerdict(DownloadResult result) override {
    messages.push_back(
        {MessageOwner::Dialog, VerdictText(result), VERDICT_CAPTION, VerdictIcon(result)});
  }
  void SetReadBackProgress(uint32_t blocks, uint32_t total) override {
    readBack.push_back({blocks, total});
  }

  std::string usbLine() const { return Line(StatusLine::Usb); }
  std::string deviceLine() const { return Line(StatusLine::Device); }

  std::map<StatusLine, std::string> status;
  std::vector<std::pair<uint32_t, uint32_t>> ranges;
  std::vector<uint32_t> positions;
  std::vector<RecordedMessage> messages;
  std::vector<std::pair<uint32_t, uint32_t>> readBack;  // blocks read, of how many

 private:
  std::string Line(StatusLine line) const {
    auto it = status.find(line);
    return it == status.end() ? std::string() : it->second;
  }
};

}  // namespace torvane::testing
