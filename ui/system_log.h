// The platform half of the reporting routines: the last system error, its message text
// and the system log. One implementation per platform, chosen by the build.
#pragma once

#include <string>

#include "ui/report.h"

namespace torvane::ui {

// Which step of writing a log entry failed, if any.
enum class SystemLogResult {
  Written,
  NotAvailable,        // a system without the log: nothing is written, nothing is wrong
  VersionQueryFailed,
  OpenFailed,
  WriteFailed,
};

int LastSystemError();
std::string SystemErrorText(int code);
SystemLogResult WriteSystemLog(EventType type, const char* text);

// The text shown for a failed step; null when there is nothing to show.
const char* LogFailureText(SystemLogResult result);

}  // namespace torvane::ui
