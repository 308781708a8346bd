// The reporting routines every front-end uses beside the error box: the system's last error
// shown and logged, and one entry in the system log (syslog here, the event log on
// Windows). A failure to log is itself shown in an ownerless "Error" box.
#pragma once

#include <cstdint>

#include "procedures/dialog_host.h"

namespace torvane::ui {

// Entry types, numbered as the Windows event log numbers them.
enum class EventType : uint16_t {
  Error = 1,
  Warning = 2,
  Information = 4,
};

constexpr const char* LOG_SOURCE = "Torvane";
constexpr const char* LOG_VERSION_FAILED = "Failed to get windows version";
constexpr const char* LOG_OPEN_FAILED = "Failed to open event log";
constexpr const char* LOG_WRITE_FAILED = "Failed to write to event log";

// Writes one entry under the source "Torvane"; a failing step is shown through `host`
// with no owner.
void LogEvent(DialogHost& host, EventType type, const char* text);

// Logs the calling thread's last system error with its message text, and shows it as an
// "Error" box when there is an owner.
void ReportLastError(DialogHost& host, MessageOwner owner);

}  // namespace torvane::ui
