// Shared by the reader's tests: a dialog host that records its message boxes, and a
// scratch directory per test that is removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
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
  void SetStatusText(int, const char*) override {}
  void SetProgressRange(uint32_t, uint32_t) override {}
  void SetProgressPos(uint32_t) override {}
  void ShowMessage(MessageOwner owner, const char* text, const char* caption,
                   MessageIcon icon) override {
    messages.push_back({owner, text, caption, icon});
  }

  std::vector<RecordedMessage> messages;
};

// Exactly one "Error" box with the error icon, the given text and owner.
inline void ExpectOneError(const RecordingHost& host, const char* text, MessageOwner owner) {
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, text);
  EXPECT_EQ(host.messages[0].caption, "Error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(host.messages[0].owner, owner);
}

class ScratchDir {
 public:
  ScratchDir() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("torvane_bitfile_") + info->test_suite_name() + "_" +
                       info->name();
    for (char& c : name) {
      if (c == '/') {
        c = '_';
      }
    }
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  std::string Path(const char* name) const { return (path_ / name).string(); }
  std::string Dir() const { return path_.string(); }

  std::string Write(const char* name, const std::vector<uint8_t>& bytes) const {
    std::string path = Path(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace torvane::testing
