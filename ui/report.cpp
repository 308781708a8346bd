#include "ui/report.h"

#include <string>

#include "ui/system_log.h"

namespace torvane::ui {

const char* LogFailureText(SystemLogResult result) {
  switch (result) {
    case SystemLogResult::VersionQueryFailed:
      return LOG_VERSION_FAILED;
    case SystemLogResult::OpenFailed:
      return LOG_OPEN_FAILED;
    case SystemLogResult::WriteFailed:
      return LOG_WRITE_FAILED;
    case SystemLogResult::Written:
    case SystemLogResult::NotAvailable:
      break;
  }
  return nullptr;
}

void LogEvent(DialogHost& host, EventType type, const char* text) {
  const char* failure = LogFailureText(WriteSystemLog(type, text));
  if (failure != nullptr) {
    host.ShowError(MessageOwner::None, failure);
  }
}

void ReportLastError(DialogHost& host, MessageOwner owner) {
  // Taken first: logging may itself change the last error.
  int code = LastSystemError();
  std::string text = SystemErrorText(code);
  LogEvent(host, EventType::Error, text.c_str());
  if (owner != MessageOwner::None) {
    host.ShowError(owner, text.c_str());
  }
}

}  // namespace torvane::ui
