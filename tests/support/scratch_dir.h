// A scratch directory per test, named after the test and removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace torvane::testing {

class ScratchDir {
 public:
  ScratchDir() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // A clock reading keeps the same test of two runs at once (two build trees) apart.
    std::string name = std::string("torvane_") + info->test_suite_name() + "_" +
                       info->name() + "_" +
                       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
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
