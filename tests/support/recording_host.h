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
  void SetStatusText(int controlId, const char* text) override { status[controlId] = text; }
  void SetProgressRange(uint32_t minimum, uint32_t maximum) override {
    ranges.push_back({minimum, maximum});
  }
  void SetProgressPos(uint32_t position) override { positions.push_back(position); }
  void ShowMessage(MessageOwner owner, const char* text, const char* caption,
                   MessageIcon icon) override {
    messages.push_back({owner, text, caption, icon});
  }
  void SetReadBackProgress(uint32_t blocks, uint32_t total) override {
    readBack.push_back({blocks, total});
  }

  std::string usbLine() const { return Line(IDC_USB_STATUS); }
  std::string deviceLine() const { return Line(IDC_DEVICE_STATUS); }

  std::map<int, std::string> status;
  std::vector<std::pair<uint32_t, uint32_t>> ranges;
  std::vector<uint32_t> positions;
  std::vector<RecordedMessage> messages;
  std::vector<std::pair<uint32_t, uint32_t>> readBack;  // blocks read, of how many

 private:
  std::string Line(int id) const {
    auto it = status.find(id);
    return it == status.end() ? std::string() : it->second;
  }
};

}  // namespace torvane::testing
