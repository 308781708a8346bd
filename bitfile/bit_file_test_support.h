// Shared by the reader's tests: the recording host, a scratch directory per test, and the
// check for the one box a refused file gets.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "procedures/dialog_host.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_dir.h"

namespace torvane::testing {

// Exactly one "Error" box with the error icon, the given text and owner.
inline void ExpectOneError(const RecordingHost& host, const char* text, MessageOwner owner) {
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, text);
  EXPECT_EQ(host.messages[0].caption, "Error");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(host.messages[0].owner, owner);
}

}  // namespace torvane::testing
