// The reporting routines' platform half on POSIX systems: errno, strerror and syslog.
#include <syslog.h>

#include <cerrno>
#include <cstring>

#include "ui/system_log.h"

namespace torvane::ui {

namespace {

int SyslogPriority(EventType type) {
  switch (type) {
    case EventType::Error:
      return LOG_ERR;
    case EventType::Warning:
      return LOG_WARNING;
    case EventType::Information:
      return LOG_INFO;
  }
  return LOG_NOTICE;
}

}  // namespace

int LastSystemError() { return errno; }

std::string SystemErrorText(int code) { return std::strerror(code); }

// openlog and syslog report nothing back: a log daemon that is missing or full loses
// the entry silently, so there is no failed step to show.
SystemLogResult WriteSystemLog(EventType type, const char* text) {
  openlog(LOG_SOURCE, LOG_PID, LOG_USER);
  syslog(SyslogPriority(type), "%s", text);
  closelog();
  return SystemLogResult::Written;
}

}  // namespace torvane::ui
