// A simulated board, identified as the dialog does on opening, with a scratch directory
// for the .bit files a test writes: the ground for the download procedures' tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/recorder.h"
#include "procedures/app_state.h"
#include "procedures/identify.h"
#include "sim/board.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_dir.h"
#include "tools/make_bitstream.h"

namespace torvane::testing {

class DownloadTest : public ::testing::Test {
 protected:
  DownloadTest() : dir_(scratch_.Dir()) {}
  ~DownloadTest() override {
    recorder_.reset();  // it flushes into the trace file, so it goes first
    if (traceFile_) std::fclose(traceFile_);
  }

  // The board, identified; `traced` puts the recorder between the link and the board.
  void Connect(sim::BoardKind kind, bool traced = false) {
    board_ = sim::MakeBoard(kind);
    state_.link.adapter = board_.get();
    if (traced) {
      traceFile_ = std::tmpfile();
      recorder_ = std::make_unique<Recorder>(*board_, traceFile_);
      state_.link.adapter = recorder_.get();
    }
    IdentifyChain(state_, host_);
    writesAfterIdentify_ = board_->writeSizes().size();
  }

  void SelectFile(const BitstreamOptions& options) {
    std::string path = (dir_ / "design.bit").string();
    ASSERT_TRUE(WriteBitFile(path.c_str(), options));
    data_ = MakeBitFile(options);
    std::snprintf(state_.path, sizeof state_.path, "%s", path.c_str());
  }

  // A file of exactly these bytes, for a test that alters a generated one.
  void SelectBytes(const std::vector<uint8_t>& bytes) {
    std::string path = scratch_.Write("design.bit", bytes);
    data_ = bytes;
    std::snprintf(state_.path, sizeof state_.path, "%s", path.c_str());
  }

  // A raw body of `size` bytes: traffic tests need no real bitstream.
  void SelectRawFile(size_t size, uint32_t seed = 3) {
    BitstreamOptions options;
    options.rawBody = true;
    options.dataSize = size;
    options.seed = seed;
    SelectFile(options);
  }

  // The data section of the selected file: what follows its header.
  std::vector<uint8_t> DataSection(size_t dataSize) const {
    return std::vector<uint8_t>(data_.end() - static_cast<std::ptrdiff_t>(dataSize), data_.end());
  }

  // The writes the download made, after identification.
  std::vector<uint32_t> DownloadWrites() const {
    const auto& all = board_->writeSizes();
    return std::vector<uint32_t>(all.begin() + static_cast<std::ptrdiff_t>(writesAfterIdentify_),
                                 all.end());
  }

  // Every trace line, once the recorder has flushed.
  std::vector<std::string> TraceLines() {
    std::vector<std::string> lines;
    if (!recorder_) return lines;
    recorder_->Flush();
    std::rewind(traceFile_);
    std::string line;
    int c;
    while ((c = std::fgetc(traceFile_)) != EOF) {
      if (c == '\n') {
        lines.push_back(line);
        line.clear();
      } else {
        line.push_back(static_cast<char>(c));
      }
    }
    return lines;
  }

  ScratchDir scratch_;
  std::filesystem::path dir_;
  std::unique_ptr<sim::Board> board_;
  std::unique_ptr<Recorder> recorder_;
  std::FILE* traceFile_ = nullptr;
  AppState state_;
  RecordingHost host_;
  std::vector<uint8_t> data_;
  size_t writesAfterIdentify_ = 0;
};

}  // namespace torvane::testing
