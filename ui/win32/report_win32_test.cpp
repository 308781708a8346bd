// The reporting routines on Windows: the system's own text for the last error, and the
// event log. The texts come from the system, so the tests compare with what it says.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/fake_view_test.h"
#include "ui/report.h"
#include "ui/system_log.h"

namespace torvane::ui {
namespace {

TEST(Win32Report, TheLastErrorIsShownWithTheSystemsTextWhenThereIsAnOwner) {
  std::string expected = SystemErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(expected.empty());
  EXPECT_NE(expected, SystemErrorText(ERROR_ACCESS_DENIED));

  FakeView view;
  SetLastError(ERROR_FILE_NOT_FOUND);
  ReportLastError(view, MessageOwner::Dialog);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, expected);
  EXPECT_EQ(view.messages[0].caption, "Error");
  EXPECT_EQ(view.messages[0].owner, MessageOwner::Dialog);

  SetLastError(ERROR_ACCESS_DENIED);
  ReportLastError(view, MessageOwner::None);
  EXPECT_EQ(view.messages.size(), 1u) << "without an owner it is only logged";
}

TEST(Win32Report, ACodeWithoutSystemTextStillNamesItsNumber) {
  EXPECT_NE(SystemErrorText(0x2FFFFFFF).find("805306367"), std::string::npos);
}

TEST(Win32Report, AnEntryGoesToTheEventLog) {
  EXPECT_EQ(WriteSystemLog(EventType::Error, "torvane test entry"), SystemLogResult::Written);
}

}  // namespace
}  // namespace torvane::ui
