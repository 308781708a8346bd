#include "ui/report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "ui/fake_view_test.h"
#include "ui/system_log.h"

namespace torvane::ui {
namespace {

TEST(ReportTest, TheLastErrorIsShownWithItsSystemTextOnlyWhenThereIsAnOwner) {
  FakeView view;
  errno = ENOENT;
  ReportLastError(view, MessageOwner::Dialog);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, std::strerror(ENOENT));
  EXPECT_EQ(view.messages[0].caption, "Error");
  EXPECT_EQ(view.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(view.messages[0].owner, MessageOwner::Dialog);

  errno = EACCES;
  ReportLastError(view, MessageOwner::None);
  EXPECT_EQ(view.messages.size(), 1u);  // logged only
}

TEST(ReportTest, AWrittenEntryShowsNothing) {
  FakeView view;
  LogEvent(view, EventType::Error, "torvane report test entry");
  EXPECT_TRUE(view.messages.empty());
}

TEST(ReportTest, EachFailedLogStepHasItsOwnText) {
  EXPECT_STREQ(LogFailureText(SystemLogResult::VersionQueryFailed),
               "Failed to get windows version");
  EXPECT_STREQ(LogFailureText(SystemLogResult::OpenFailed), "Failed to open event log");
  EXPECT_STREQ(LogFailureText(SystemLogResult::WriteFailed), "Failed to write to event log");
  EXPECT_EQ(LogFailureText(SystemLogResult::Written), nullptr);
  EXPECT_EQ(LogFailureText(SystemLogResult::NotAvailable), nullptr);
}

}  // namespace
}  // namespace torvane::ui
